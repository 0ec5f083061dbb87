#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#endif

namespace umbrascope {
namespace {

#ifdef HAVE_UMBRASCOPE_SPEECHD

using Report = std::pair<std::uint64_t, SpeechReport>;

struct Reports {
    std::mutex mutex;
    std::vector<Report> seen;

    void add(std::uint64_t id, SpeechReport kind) {
        std::lock_guard lock(mutex);
        seen.emplace_back(id, kind);
    }
    std::vector<Report> waitFor(std::size_t count, std::chrono::seconds bound) {
        const auto until = std::chrono::steady_clock::now() + bound;
        while (std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard lock(mutex);
                if (seen.size() >= count) return seen;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::lock_guard lock(mutex);
        return seen;
    }
};

// Needs a running audio server for the daemon (scripts/test starts a PulseAudio null sink).
TEST(SpeechDispatcherSynthesizer, SpeakStopSpeakReportsBeginCancelBeginEnd) {
    Reports reports;
    SpeechDispatcherSynthesizer synthesizer;
    synthesizer.setReportHandler(
        [&](std::uint64_t id, SpeechReport kind) { reports.add(id, kind); });
    if (!synthesizer.waitUntilConnected(std::chrono::seconds(15)))
        GTEST_SKIP() << "speech-dispatcher could not be started or reached: "
                     << synthesizer.connectionError();

    synthesizer.speak({1,
                       "This sentence is long enough to be cut off well before it reaches its "
                       "end, so the stop has something to cancel.",
                       0.5f, 0.5f, std::nullopt});
    ASSERT_EQ(reports.waitFor(1, std::chrono::seconds(20)).size(), 1u)
        << "no begin: is an audio server running for the daemon?";
    synthesizer.stopSpeaking();
    synthesizer.speak({2, "Note On C4", 1.0f, 0.5f, std::nullopt});
    const auto seen = reports.waitFor(4, std::chrono::seconds(30));
    EXPECT_EQ(seen, (std::vector<Report>{{1, SpeechReport::started},
                                         {1, SpeechReport::cancelled},
                                         {2, SpeechReport::started},
                                         {2, SpeechReport::finished}}));
}

TEST(SpeechDispatcherSynthesizer, ListsTheDaemonsVoices) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "libspeechd parses the voice list with strstr, which AddressSanitizer makes "
                    "quadratic: minutes for the thousands of voices a daemon lists";
#endif
    SpeechDispatcherSynthesizer synthesizer;
    if (!synthesizer.waitUntilConnected(std::chrono::seconds(15)))
        GTEST_SKIP() << "speech-dispatcher could not be started or reached: "
                     << synthesizer.connectionError();
    ASSERT_TRUE(synthesizer.loadVoices(std::chrono::seconds(120)));
    const auto voices = synthesizer.voices();
    ASSERT_FALSE(voices.empty());
    EXPECT_TRUE(synthesizer.hasVoice(voices.front().identifier));
}

TEST(SpeechDispatcherSynthesizer, StopEndsEveryUtteranceHandedOverExactlyOnce) {
    Reports reports;
    {
        SpeechDispatcherSynthesizer synthesizer;
        synthesizer.setReportHandler(
            [&](std::uint64_t id, SpeechReport kind) { reports.add(id, kind); });
        for (std::uint64_t id = 1; id <= 3; ++id)
            synthesizer.speak({id, "Queued words", 0.5f, 0.5f, std::nullopt});
        synthesizer.stopSpeaking();
        synthesizer.speak({4, "Left at shutdown", 0.5f, 0.5f, std::nullopt});
    }
    std::lock_guard lock(reports.mutex);
    for (std::uint64_t id = 1; id <= 4; ++id) {
        int ends = 0;
        for (const auto& [rid, kind] : reports.seen)
            ends += rid == id && kind != SpeechReport::started;
        EXPECT_EQ(ends, 1) << "utterance " << id;
    }
}

struct ScaleCase {
    const char* name;
    float value;
    int daemon;
};

class SpeechDispatcherScale : public testing::TestWithParam<ScaleCase> {};

TEST_P(SpeechDispatcherScale, MapsOntoMinusToPlusHundred) {
    EXPECT_EQ(SpeechDispatcherSynthesizer::toDaemonScale(GetParam().value), GetParam().daemon);
}

INSTANTIATE_TEST_SUITE_P(Values, SpeechDispatcherScale,
                         testing::Values(ScaleCase{"lowest", 0.0f, -100},
                                         ScaleCase{"middle", 0.5f, 0},
                                         ScaleCase{"highest", 1.0f, 100},
                                         ScaleCase{"aboveRangeClamps", 1.5f, 100},
                                         ScaleCase{"quarter", 0.25f, -50}),
                         [](const auto& row) { return std::string(row.param.name); });

#else

TEST(SpeechDispatcherSynthesizer, SpeakStopSpeakReportsBeginCancelBeginEnd) {
    GTEST_SKIP() << "built without speech-dispatcher (libspeechd-dev not found by pkg-config)";
}

#endif

} // namespace
} // namespace umbrascope
