#include <gtest/gtest.h>

#include "audio/AudioEngine.hpp"
#include "support/CapturingOutput.hpp"
#include "support/SpeechReports.hpp"

#ifdef HAVE_UMBRASCOPE_ESPEAK
#include "audio/espeak/EspeakSynthesizer.hpp"
#endif

namespace umbrascope {
namespace {

#ifdef HAVE_UMBRASCOPE_ESPEAK

using testing_support::Report;
using R = SpeechReport;

// The test plays the part of the audio thread: nothing is heard, and nothing ends, unless it pulls.
struct Speech {
    testing_support::CapturingOutput* output = new testing_support::CapturingOutput;
    AudioEngine engine{std::unique_ptr<AudioOutput>(output)};
    testing_support::SpeechReports reports;
    // Last, so it goes first: its final reports still find the log.
    std::unique_ptr<EspeakSynthesizer> synthesizer = EspeakSynthesizer::create(engine);

    Speech() {
        if (synthesizer) reports.listenTo(*synthesizer);
    }
    std::vector<Report> play(std::size_t count) {
        return reports.waitFor(count, [this] { return output->pull(); });
    }
    void say(std::uint64_t id, const char* text, float volume = 1.0f) {
        synthesizer->speak({id, text, 0.5f, volume, std::nullopt});
    }
};

TEST(EspeakSynthesizer, SpeaksAudiblyAtItsVolumeAndReportsStartThenFinish) {
    Speech s;
    if (!s.synthesizer) GTEST_SKIP() << "espeak-ng could not be initialised (data missing?)";
    const auto voices = s.synthesizer->voices();
    ASSERT_TRUE(std::any_of(voices.begin(), voices.end(),
                            [](const Voice& v) { return v.language.starts_with("en"); }));
    EXPECT_TRUE(s.synthesizer->hasVoice(voices.front().identifier));
    s.synthesizer->speak({6, "Note On C4", 0.5f, 0.0f, std::string("no/such-voice")});
    s.play(2);
    EXPECT_EQ(s.output->loudFrames, 0) << "spoken at volume 0";
    s.say(7, "Note On C4");
    EXPECT_EQ(s.play(4),
              (std::vector<Report>{
                  {6, R::started}, {6, R::finished}, {7, R::started}, {7, R::finished}}));
    EXPECT_GT(s.output->leftPeak, 0.05f);
    EXPECT_GT(s.output->loudFrames, 44100 / 4) << "at least a quarter second of speech";
}

// Every utterance ends once: stopped while heard or before its turn, after a stop, and at
// shutdown. The order of the ends of different utterances is not fixed.
TEST(EspeakSynthesizer, EveryUtteranceEndsOnceWhetherStoppedOrLeftAtShutdown) {
    Speech s;
    if (!s.synthesizer) GTEST_SKIP() << "espeak-ng could not be initialised (data missing?)";
    s.say(1, "This is a long sentence that is cut off before it can end.");
    s.say(2, "Dropped before it starts.");
    // Played until its first audible block and not one further, the first utterance cannot end
    // before the stop.
    ASSERT_TRUE(s.reports.waitUntil([&] { return s.output->loudFrames > 0; },
                                    [&] { return s.output->pull(); }));
    ASSERT_EQ(s.reports.waitFor(1), (std::vector<Report>{{1, R::started}}));
    s.synthesizer->stopSpeaking();
    s.say(3, "Next");
    s.play(5);
    EXPECT_EQ(s.reports.of(1), (std::vector<R>{R::started, R::cancelled}));
    EXPECT_EQ(s.reports.of(2), (std::vector<R>{R::cancelled}));
    EXPECT_EQ(s.reports.of(3), (std::vector<R>{R::started, R::finished}));
    for (std::uint64_t id = 4; id <= 6; ++id)
        s.say(id, "A sentence long enough to still be playing.");
    s.synthesizer.reset();
    for (std::uint64_t id = 4; id <= 6; ++id)
        EXPECT_EQ(s.reports.ends(id), 1) << "utterance " << id;
}

TEST(EspeakSynthesizer, RatesMapOntoTheLibrarysWordsPerMinute) {
    EXPECT_EQ(EspeakSynthesizer::wordsPerMinute(-1.0f), 80) << "below the range";
    EXPECT_EQ(EspeakSynthesizer::wordsPerMinute(0.5f), 175);
    EXPECT_EQ(EspeakSynthesizer::wordsPerMinute(0.75f), 313);
}

#else

TEST(EspeakSynthesizer, SpeaksAudiblyAndReportsStartThenFinish) {
    GTEST_SKIP() << "built without espeak-ng (libespeak-ng-dev not found by pkg-config)";
}

#endif

} // namespace
} // namespace umbrascope
