#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "support/CapturingOutput.hpp"

#ifdef HAVE_UMBRASCOPE_ESPEAK
#include "audio/espeak/EspeakSynthesizer.hpp"
#endif

namespace umbrascope {
namespace {

#ifdef HAVE_UMBRASCOPE_ESPEAK

using testing_support::CapturingOutput;
using Report = std::pair<std::uint64_t, SpeechReport>;

// The test plays the part of the audio thread: nothing is heard, and nothing ends, unless it pulls.
struct Speech {
    CapturingOutput* output = new CapturingOutput;
    AudioEngine engine{std::unique_ptr<AudioOutput>(output)};
    std::unique_ptr<EspeakSynthesizer> synthesizer = EspeakSynthesizer::create(engine);
    std::mutex mutex;
    std::vector<Report> reports;

    Speech() {
        if (synthesizer)
            synthesizer->setReportHandler([this](std::uint64_t id, SpeechReport kind) {
                std::lock_guard lock(mutex);
                reports.emplace_back(id, kind);
            });
    }
    ~Speech() { synthesizer.reset(); }

    std::vector<Report> seen() {
        std::lock_guard lock(mutex);
        return reports;
    }

    // Waits (bounded) until `count` reports have arrived, playing the audio meanwhile when
    // `playing`; returns them.
    std::vector<Report> waitFor(std::size_t count, bool playing = true) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (seen().size() < count && std::chrono::steady_clock::now() < deadline)
            if (!playing || !output->pull())
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return seen();
    }

    // Plays until the first audible frame, and not one block further.
    bool playUntilAudible() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (output->loudFrames == 0 && std::chrono::steady_clock::now() < deadline)
            if (!output->pull()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return output->loudFrames > 0;
    }
};

TEST(EspeakSynthesizer, SpeaksAudiblyAndReportsStartThenFinish) {
    Speech s;
    if (!s.synthesizer) GTEST_SKIP() << "espeak-ng could not be initialised (data missing?)";
    s.synthesizer->speak({7, "Note On C4", 0.5f, 1.0f, std::nullopt});
    const auto reports = s.waitFor(2);
    EXPECT_EQ(reports,
              (std::vector<Report>{{7, SpeechReport::started}, {7, SpeechReport::finished}}));
    EXPECT_GT(s.output->leftPeak, 0.05f);
    EXPECT_GT(s.output->loudFrames, 44100 / 4) << "at least a quarter second of speech";
}

TEST(EspeakSynthesizer, StopCancelsAtOnceAndTheNextUtteranceStillFinishes) {
    Speech s;
    if (!s.synthesizer) GTEST_SKIP() << "espeak-ng could not be initialised (data missing?)";
    s.synthesizer->speak({1, "This is a long sentence that is cut off before it can end.", 0.5f,
                          1.0f, std::nullopt});
    s.synthesizer->speak({2, "Dropped before it starts.", 0.5f, 1.0f, std::nullopt});
    // The first utterance has begun to play and, with playback held, cannot end before the stop.
    ASSERT_TRUE(s.playUntilAudible());
    ASSERT_EQ(s.waitFor(1, false), (std::vector<Report>{{1, SpeechReport::started}}));
    s.synthesizer->stopSpeaking();
    s.synthesizer->speak({3, "Next", 0.5f, 1.0f, std::nullopt});
    const auto reports = s.waitFor(5);
    // Order holds per utterance; the ends of different utterances may interleave.
    const auto of = [&](std::uint64_t id) {
        std::vector<SpeechReport> kinds;
        for (const auto& [rid, kind] : reports)
            if (rid == id) kinds.push_back(kind);
        return kinds;
    };
    using R = SpeechReport;
    EXPECT_EQ(of(1), (std::vector<R>{R::started, R::cancelled}));
    EXPECT_EQ(of(2), (std::vector<R>{R::cancelled}));
    EXPECT_EQ(of(3), (std::vector<R>{R::started, R::finished}));
}

TEST(EspeakSynthesizer, EveryUtteranceEndsOnceAlsoAtShutdown) {
    std::vector<Report> reports;
    {
        Speech s;
        if (!s.synthesizer) GTEST_SKIP() << "espeak-ng could not be initialised";
        for (std::uint64_t id = 1; id <= 3; ++id)
            s.synthesizer->speak(
                {id, "A sentence long enough to still be playing.", 0.5f, 1.0f, std::nullopt});
        s.synthesizer.reset();
        reports = s.seen();
    }
    for (std::uint64_t id = 1; id <= 3; ++id) {
        int ends = 0;
        for (const auto& [rid, kind] : reports)
            ends += rid == id && kind != SpeechReport::started;
        EXPECT_EQ(ends, 1) << "utterance " << id;
    }
}

TEST(EspeakSynthesizer, VoicesIncludeEnglishAndAnUnknownVoiceFallsBack) {
    Speech s;
    if (!s.synthesizer) GTEST_SKIP() << "espeak-ng could not be initialised";
    const auto voices = s.synthesizer->voices();
    ASSERT_FALSE(voices.empty());
    EXPECT_TRUE(std::any_of(voices.begin(), voices.end(),
                            [](const Voice& v) { return v.language.starts_with("en"); }));
    EXPECT_TRUE(s.synthesizer->hasVoice(voices.front().identifier));
    s.synthesizer->speak({9, "Hello", 0.5f, 1.0f, std::string("no/such-voice")});
    EXPECT_EQ(s.waitFor(2).back(), (Report{9, SpeechReport::finished}));
}

struct RateCase {
    const char* name;
    float rate;
    int wordsPerMinute;
};

class EspeakRate : public testing::TestWithParam<RateCase> {};

TEST_P(EspeakRate, MapsOntoTheLibrarysRange) {
    EXPECT_EQ(EspeakSynthesizer::wordsPerMinute(GetParam().rate), GetParam().wordsPerMinute);
}

INSTANTIATE_TEST_SUITE_P(Rates, EspeakRate,
                         testing::Values(RateCase{"slowest", 0.0f, 80},
                                         RateCase{"default", 0.5f, 175},
                                         RateCase{"fastest", 1.0f, 450},
                                         RateCase{"belowRangeClamps", -1.0f, 80},
                                         RateCase{"threeQuarters", 0.75f, 313}),
                         [](const auto& row) { return std::string(row.param.name); });

#else

TEST(EspeakSynthesizer, SpeaksAudiblyAndReportsStartThenFinish) {
    GTEST_SKIP() << "built without espeak-ng (libespeak-ng-dev not found by pkg-config)";
}

#endif

} // namespace
} // namespace umbrascope
