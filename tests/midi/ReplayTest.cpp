#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "midi/MIDIManager.hpp"
#include "midi/replay/DemoCapture.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSleeper;
using Words = std::vector<std::uint32_t>;

// A replay service on a fake clock, seen by a running manager as a device is seen by the system.
struct Fixture {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    ManualQueue queue;
    MIDIManager manager{service, queue, clock};

    SourceRef add(std::string name, const char* text) {
        const SourceRef source = service.addSource(parseCapture(text, name));
        queue.drain();
        return source;
    }
    std::vector<Words> play(SourceRef source, const std::function<void()>& afterEach = {}) {
        service.play(source, ReplayPace::asFastAsPossible, sleeper, {}, [&] {
            if (afterEach) afterEach();
            queue.drain();
        });
        std::vector<Words> words;
        for (const auto& message : manager.messages())
            words.push_back(message.words.toVector());
        return words;
    }
};

TEST(Replay, DemoIsTheDataFileCompiledIn) {
    std::ifstream file(UMBRASCOPE_SOURCE_DIR "/data/demo.ump", std::ios::binary);
    EXPECT_EQ(demoCaptureText(), std::string(std::istreambuf_iterator<char>(file), {}));
}

// Every present source in order, each line at its recorded moment; a loop pauses between passes,
// never less than the minimum, so a pass that takes no time cannot spin.
TEST(Replay, PassesKeepTheRecordedPaceAndLoopsPause) {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    service.addSource(parseCapture("+1 10F80000\n+0.5 10FA0000\n", "a"));
    service.removeSource(service.addSource(parseCapture("10FE0000\n", "b")));
    service.addSource(parseCapture("10FC0000\n", "c"));
    using Heard = std::vector<std::pair<std::chrono::nanoseconds, std::uint32_t>>;
    Heard heard;
    const MonoTime start = clock.monotonicNow();
    std::stop_source stop;
    service.setReceiveCallback([&](const EventList& list, std::optional<SourceRef>) {
        heard.emplace_back(clock.monotonicNow() - start, list[0].present[0]);
        if (heard.size() == 4) stop.request_stop(); // the first line of a second pass
    });
    const auto play = [&](PlaybackOptions options) {
        stop = {};
        return service.playAll(options, sleeper, stop.get_token());
    };
    EXPECT_FALSE(play({ReplayPace::recorded, true, 2s}));
    EXPECT_EQ(
        heard,
        (Heard{
            {1s, 0x10F80000}, {1500ms, 0x10FA0000}, {1500ms, 0x10FC0000}, {4500ms, 0x10F80000}}));
    heard.clear();
    sleeper.deadlines.clear();
    EXPECT_TRUE(play({ReplayPace::asFastAsPossible, false}));
    EXPECT_EQ(heard.size(), 3u);
    EXPECT_TRUE(sleeper.deadlines.empty()) << "fast replay never waits; no loop, no pause";
    heard.clear();
    const MonoTime beforeLoop = clock.monotonicNow();
    EXPECT_FALSE(play({ReplayPace::asFastAsPossible, true, 0s}));
    EXPECT_EQ(sleeper.deadlines, std::vector<MonoTime>{beforeLoop + PlaybackOptions::minimumPause});
}

// Waits for real, and tells when a wait begins.
class WatchedSleeper final : public Sleeper {
public:
    bool sleepUntil(MonoTime deadline, std::stop_token stop) override {
        {
            std::lock_guard lock(mutex);
            ++waits;
        }
        waiting.notify_all();
        return real.sleepUntil(deadline, stop);
    }
    std::mutex mutex;
    std::condition_variable waiting;
    int waits = 0;
    SystemSleeper real;
};

TEST(Replay, OwnThreadPlaysAndAStopEndsAWaitAtOnce) {
    ReplayService service;
    service.addSource(parseCapture("10F80000\n+3600 10FA0000\n", "x"));
    std::atomic<int> delivered{0};
    service.setReceiveCallback([&](const EventList&, std::optional<SourceRef>) { ++delivered; });
    WatchedSleeper sleeper;
    service.startPlaying({ReplayPace::recorded, true}, sleeper);
    {
        std::unique_lock lock(sleeper.mutex);
        ASSERT_TRUE(sleeper.waiting.wait_for(lock, 60s, [&] { return sleeper.waits == 1; }));
    }
    service.stopPlaying(); // at or in an hour's wait: returns only if the wait ends at once
    EXPECT_EQ(delivered, 1) << "nothing after the stop";
}

TEST(Replay, SourcesComeAndGoWhileTheManagerRuns) {
    Fixture f;
    const auto keys = f.add("Keys", "10F80000\n10FA0000\n");
    f.add("Pads", "10FE0000\n");
    const std::int32_t keysID = replaySourceID("Keys");
    const std::int32_t padsID = replaySourceID("Pads");
    EXPECT_EQ(f.manager.availableSources(),
              (std::vector<MIDISourceInfo>{{keysID, "Keys"}, {padsID, "Pads"}}));
    const auto heard = f.play(keys, [&] { f.service.removeSource(keys); });
    EXPECT_EQ(heard, (std::vector<Words>{{0x10F80000}})) << "nothing plays after the unplug";
    EXPECT_TRUE(f.manager.messages().front().sourceIsUMPNative);
    EXPECT_EQ(f.manager.availableSources(), (std::vector<MIDISourceInfo>{{padsID, "Pads"}}));
    EXPECT_EQ(f.service.displayName(keys), "Keys") << "late lists still find their source";
    EXPECT_FALSE(f.service.isNativeUMP(SourceRef{7}, 0)) << "an unknown reference";
    EXPECT_EQ(replaySourceID("v1iraa1l"), 1) << "a name whose hash is 0 gets another id";
}

// A port's protocol decides what its lists carry, from the line after the port was made.
TEST(Replay, ListsCarryWhatThePortReceives) {
    Fixture f;
    const auto keys = f.add("Keys", "20903C64\n40903C00 FFFF0000\n"
                                    "D0100100 00000000 00000000 00000000\n10F80000\n");
    EXPECT_EQ(f.play(keys, [&] { f.manager.setMidi1ProtocolOnly(true); }),
              (std::vector<Words>{{0x20903C64}, {0x20903C7F}, {0x10F80000}}));
    f.manager.clearMessages();
    f.manager.setMidi1ProtocolOnly(false);
    f.service.setUpscaleMidi1(true);
    EXPECT_EQ(f.play(keys).front(), (Words{0x40903C00, 0xC9240000}));
}

} // namespace
} // namespace umbrascope
