#include <gtest/gtest.h>

#include "midi/MIDIManager.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSleeper;

struct ReplayFixture {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ManualQueue queue;
    ReplayService service{clock};
    MIDIManager manager{service, queue, clock};
};

TEST(Replay, DeliversThroughTheReceivePath) {
    ReplayFixture f;
    const SourceRef ref = f.service.addSource(
        parseCapture("@source Pad\n20903C64 40903C00 FFFF0000\n10F80000\n", "x"));
    f.queue.drain(); // the rescan that the new source set off
    f.manager.setEnabledSourceIDs({f.service.uniqueID(ref)});
    EXPECT_TRUE(f.service.play(ref, ReplayPace::asFastAsPossible, f.sleeper));
    EXPECT_EQ(f.queue.drain(), 2u) << "one event list per line";
    ASSERT_EQ(f.manager.messages().size(), 3u);
    const MIDIMessage& m = f.manager.messages().back();
    EXPECT_EQ(m.sourceName(), "Pad");
    EXPECT_EQ(m.sourceID, replaySourceID("Pad"));
    EXPECT_TRUE(m.sourceIsUMPNative);
    EXPECT_TRUE(f.sleeper.deadlines.empty()) << "fast replay never waits";
}

TEST(Replay, RecordedPaceWaitsFromTheStart) {
    ReplayFixture f;
    const SourceRef ref =
        f.service.addSource(parseCapture("+0.5 10F80000\n10F80000\n+0.25 10F80000\n", "x"));
    const MonoTime start = f.clock.monotonicNow();
    f.service.play(ref, ReplayPace::recorded, f.sleeper);
    EXPECT_EQ(f.sleeper.deadlines, (std::vector<MonoTime>{start + 500ms, start + 750ms}));
}

TEST(Replay, StopsWhenAsked) {
    ReplayFixture f;
    const SourceRef ref = f.service.addSource(parseCapture("10F80000\n10F80000\n", "x"));
    f.manager.setEnabledSourceIDs({f.service.uniqueID(ref)});
    std::stop_source stop;
    int delivered = 0;
    EXPECT_FALSE(
        f.service.play(ref, ReplayPace::asFastAsPossible, f.sleeper, stop.get_token(), [&] {
            ++delivered;
            stop.request_stop();
        }));
    EXPECT_EQ(delivered, 1);
}

TEST(Replay, SourceIdentity) {
    EXPECT_NE(replaySourceID(""), 0);
    EXPECT_EQ(replaySourceID("demo"), replaySourceID("demo"));
    EXPECT_NE(replaySourceID("demo"), replaySourceID("demo2"));
    ReplayService service;
    EXPECT_FALSE(service.displayName(SourceRef{7}).has_value());
    EXPECT_EQ(service.uniqueID(SourceRef{7}), 0);
    EXPECT_FALSE(service.isNativeUMP(SourceRef{7}, 0));
}

} // namespace
} // namespace umbrascope
