#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#include "support/FakeSpeechDaemon.hpp"
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
    std::vector<Report> waitFor(std::size_t count) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (std::chrono::steady_clock::now() < until) {
            {
                std::lock_guard lock(mutex);
                if (seen.size() >= count) return seen;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        std::lock_guard lock(mutex);
        return seen;
    }
};

using testing_support::FakeSpeechDaemon;
using E = SsipEvent;
using R = SpeechReport;

struct EndCase {
    const char* name;
    bool running;
    bool refusesText;
    bool hangs;
    std::vector<SsipEvent> eventsOnSay;
    std::vector<SpeechReport> expected;
};

class SpeechDispatcherEnd : public testing::TestWithParam<EndCase> {};

// Every utterance ends once, and one the daemon cannot say ends as a failure: the announcer's
// fallback depends on it.
TEST_P(SpeechDispatcherEnd, EachUtteranceEndsOnceAndSaysHow) {
    const auto& c = GetParam();
    auto daemon = std::make_shared<FakeSpeechDaemon>();
    daemon->running = c.running;
    daemon->refusesText = c.refusesText;
    daemon->hangs = c.hangs;
    daemon->eventsOnSay = c.eventsOnSay;
    // Short bounds only where the case waits for them to pass; a slow machine cannot cut short a
    // case that ends by the daemon's own events.
    const bool waitsForBounds = c.expected.back() == R::failed && c.running && !c.refusesText;
    const SpeechDispatcherBounds bounds =
        waitsForBounds
            ? SpeechDispatcherBounds{std::chrono::milliseconds(100), std::chrono::milliseconds(100),
                                     std::chrono::milliseconds(0)}
            : SpeechDispatcherBounds{};
    Reports reports;
    {
        SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon), bounds);
        synthesizer.setReportHandler(
            [&](std::uint64_t id, SpeechReport kind) { reports.add(id, kind); });
        synthesizer.speak({5, "Note On C4", 0.5f, 1.0f, std::nullopt});
        reports.waitFor(c.expected.size());
        daemon->release();
    }
    std::vector<SpeechReport> kinds;
    for (const auto& [id, kind] : reports.seen) {
        EXPECT_EQ(id, 5u);
        kinds.push_back(kind);
    }
    EXPECT_EQ(kinds, c.expected);
    std::lock_guard lock(daemon->mutex);
    EXPECT_EQ(daemon->said,
              c.running ? std::vector<std::string>{"Note On C4"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpeechDispatcherEnd,
    testing::Values(
        EndCase{"endsNormally", true, false, false, {E::begin, E::end}, {R::started, R::finished}},
        EndCase{"cancelledByTheDaemon",
                true,
                false,
                false,
                {E::begin, E::cancel},
                {R::started, R::cancelled}},
        EndCase{"beginsButNeverEnds", true, false, false, {E::begin}, {R::started, R::failed}},
        EndCase{"neverBegins", true, false, false, {}, {R::failed}},
        EndCase{"neverAnswersTheSay", true, false, true, {}, {R::failed}},
        EndCase{"refusesTheText", true, true, false, {}, {R::failed}},
        EndCase{"noDaemonRunning", false, false, false, {}, {R::failed}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SpeechDispatcherSynthesizer, StopEndsEveryUtteranceHandedOverExactlyOnce) {
    auto daemon = std::make_shared<FakeSpeechDaemon>();
    daemon->eventsOnSay = {E::begin};
    Reports reports;
    {
        SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon));
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

TEST(SpeechDispatcherSynthesizer, WithoutADaemonSaysWhyAndStartsNone) {
    auto daemon = std::make_shared<FakeSpeechDaemon>();
    daemon->running = false;
    SpeechDispatcherSynthesizer synthesizer(FakeSpeechDaemon::connector(daemon));
    EXPECT_FALSE(synthesizer.waitUntilConnected(std::chrono::seconds(60)));
    EXPECT_EQ(synthesizer.connectionError(), "no daemon at the socket");
}

// Needs a running daemon with an audio server (scripts/test starts both, privately).
TEST(SpeechDispatcherSynthesizer, SpeakStopSpeakReportsBeginCancelBeginEnd) {
    Reports reports;
    SpeechDispatcherSynthesizer synthesizer;
    synthesizer.setReportHandler(
        [&](std::uint64_t id, SpeechReport kind) { reports.add(id, kind); });
    if (!synthesizer.waitUntilConnected(std::chrono::seconds(15)))
        GTEST_SKIP() << "no speech-dispatcher running: " << synthesizer.connectionError();

    synthesizer.speak({1,
                       "This sentence is long enough to be cut off well before it reaches its "
                       "end, so the stop has something to cancel.",
                       0.5f, 0.5f, std::nullopt});
    ASSERT_EQ(reports.waitFor(1).size(), 1u)
        << "no begin: is an audio server running for the daemon?";
    synthesizer.stopSpeaking();
    synthesizer.speak({2, "Note On C4", 1.0f, 0.5f, std::nullopt});
    const auto seen = reports.waitFor(4);
    EXPECT_EQ(seen, (std::vector<Report>{{1, SpeechReport::started},
                                         {1, SpeechReport::cancelled},
                                         {2, SpeechReport::started},
                                         {2, SpeechReport::finished}}));
}

TEST(SpeechDispatcherSynthesizer, ListsTheDaemonsVoices) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "libspeechd parses the voice list with strstr, which the sanitizers' checks "
                    "make quadratic: minutes for the thousands of voices a daemon lists";
#endif
    SpeechDispatcherSynthesizer synthesizer;
    if (!synthesizer.waitUntilConnected(std::chrono::seconds(15)))
        GTEST_SKIP() << "no speech-dispatcher running: " << synthesizer.connectionError();
    ASSERT_TRUE(synthesizer.loadVoices(std::chrono::seconds(120)));
    const auto voices = synthesizer.voices();
    ASSERT_FALSE(voices.empty());
    EXPECT_TRUE(synthesizer.hasVoice(voices.front().identifier));
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
