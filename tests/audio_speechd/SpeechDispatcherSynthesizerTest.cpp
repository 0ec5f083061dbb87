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

// A daemon behind a fake connection: it answers say() with the events a test scripts, sent before
// say() returns (as a fast daemon's can be), and records what it was asked. Shared with the
// synthesizer's worker, which may outlive the test's frame by a moment.
struct FakeDaemon {
    std::mutex mutex;
    bool running = true;
    bool refusesText = false;
    std::vector<SsipEvent> eventsOnSay;
    std::vector<std::string> said;
    int cancels = 0;
    std::size_t nextMessage = 40;
    SsipConnection::EventHandler handler;

    class Connection final : public SsipConnection {
    public:
        explicit Connection(std::shared_ptr<FakeDaemon> daemon) : daemon_(std::move(daemon)) {}
        void setRate(int) override {}
        void setVolume(int) override {}
        void setVoice(const std::string&) override {}
        std::optional<std::size_t> say(const std::string& text) override {
            std::vector<SsipEvent> events;
            std::size_t message = 0;
            EventHandler handler;
            {
                std::lock_guard lock(daemon_->mutex);
                daemon_->said.push_back(text);
                if (daemon_->refusesText) return std::nullopt;
                message = daemon_->nextMessage++;
                events = daemon_->eventsOnSay;
                handler = daemon_->handler;
            }
            for (const auto event : events)
                handler(message, event);
            return message;
        }
        void cancel() override {
            std::lock_guard lock(daemon_->mutex);
            ++daemon_->cancels;
        }
        std::vector<Voice> voices() override { return {}; }

    private:
        std::shared_ptr<FakeDaemon> daemon_;
    };

    static SsipConnector connector(const std::shared_ptr<FakeDaemon>& daemon) {
        return [daemon](SsipConnection::EventHandler handler,
                        std::string& error) -> std::unique_ptr<SsipConnection> {
            std::lock_guard lock(daemon->mutex);
            if (!daemon->running) {
                error = "no daemon at the socket";
                return nullptr;
            }
            daemon->handler = std::move(handler);
            return std::make_unique<Connection>(daemon);
        };
    }
};

using E = SsipEvent;
using R = SpeechReport;

struct EndCase {
    const char* name;
    bool running;
    bool refusesText;
    std::vector<SsipEvent> eventsOnSay;
    std::vector<SpeechReport> expected;
};

class SpeechDispatcherEnd : public testing::TestWithParam<EndCase> {};

// Every utterance ends once, and one the daemon cannot say ends as a failure: the announcer's
// fallback depends on it.
TEST_P(SpeechDispatcherEnd, EachUtteranceEndsOnceAndSaysHow) {
    const auto& c = GetParam();
    auto daemon = std::make_shared<FakeDaemon>();
    daemon->running = c.running;
    daemon->refusesText = c.refusesText;
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
        SpeechDispatcherSynthesizer synthesizer(FakeDaemon::connector(daemon), bounds);
        synthesizer.setReportHandler(
            [&](std::uint64_t id, SpeechReport kind) { reports.add(id, kind); });
        synthesizer.speak({5, "Note On C4", 0.5f, 1.0f, std::nullopt});
        reports.waitFor(c.expected.size());
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
        EndCase{"endsNormally", true, false, {E::begin, E::end}, {R::started, R::finished}},
        EndCase{
            "cancelledByTheDaemon", true, false, {E::begin, E::cancel}, {R::started, R::cancelled}},
        EndCase{"beginsButNeverEnds", true, false, {E::begin}, {R::started, R::failed}},
        EndCase{"neverBegins", true, false, {}, {R::failed}},
        EndCase{"daemonRefusesTheText", true, true, {}, {R::failed}},
        EndCase{"noDaemonRunning", false, false, {}, {R::failed}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SpeechDispatcherSynthesizer, StopEndsEveryUtteranceHandedOverExactlyOnce) {
    auto daemon = std::make_shared<FakeDaemon>();
    daemon->eventsOnSay = {E::begin};
    Reports reports;
    {
        SpeechDispatcherSynthesizer synthesizer(FakeDaemon::connector(daemon));
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
    auto daemon = std::make_shared<FakeDaemon>();
    daemon->running = false;
    SpeechDispatcherSynthesizer synthesizer(FakeDaemon::connector(daemon));
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
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "libspeechd parses the voice list with strstr, which AddressSanitizer makes "
                    "quadratic: minutes for the thousands of voices a daemon lists";
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
