#include <gtest/gtest.h>

#include <vector>

#include "midi/MIDIManager.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeSleeper;
using Words = std::vector<std::uint32_t>;

Capture capture(std::string name, std::vector<Words> lines) {
    Capture result{std::move(name), {}};
    for (const auto& words : lines)
        result.append(std::chrono::nanoseconds{0}, words, 1);
    return result;
}

// A replay service seen by a running manager, as a device seen by the system.
struct Fixture {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    ManualQueue queue;
    MIDIManager manager{service, queue, clock};

    std::vector<Words> play(SourceRef source, const std::function<void()>& afterEach = {}) {
        service.play(source, ReplayPace::asFastAsPossible, sleeper, {}, [&] {
            if (afterEach) afterEach();
            queue.drain();
        });
        queue.drain();
        std::vector<Words> words;
        for (const auto& message : manager.messages())
            words.push_back(message.words.toVector());
        return words;
    }
};

TEST(ReplaySources, AddedWhileRunningIsListedEnabledAndHeard) {
    Fixture f;
    f.queue.drain();
    EXPECT_TRUE(f.manager.availableSources().empty());
    const auto keys = f.service.addSource(capture("Keys", {{0x40903C00, 0xFFFF0000}}));
    EXPECT_TRUE(f.manager.enabledSourceIDs().empty()) << "the rescan runs on the main thread";
    f.queue.drain();
    const std::int32_t id = replaySourceID("Keys");
    EXPECT_EQ(f.manager.availableSources(), (std::vector<MIDISourceInfo>{{id, "Keys"}}));
    EXPECT_TRUE(f.manager.enabledSourceIDs().contains(id));
    EXPECT_EQ(f.play(keys), (std::vector<Words>{{0x40903C00, 0xFFFF0000}}));
    EXPECT_TRUE(f.manager.messages().front().sourceIsUMPNative);
}

TEST(ReplaySources, RemovedWhileRunningStopsAndLeavesTheList) {
    Fixture f;
    const auto keys =
        f.service.addSource(capture("Keys", {{0x10F80000}, {0x10FA0000}, {0x10FC0000}}));
    const auto pads = f.service.addSource(capture("Pads", {{0x10FE0000}}));
    f.queue.drain();
    bool unplugged = false;
    const auto heard = f.play(keys, [&] {
        if (!unplugged) f.service.removeSource(keys);
        unplugged = true;
    });
    EXPECT_EQ(heard, (std::vector<Words>{{0x10F80000}})) << "nothing plays after the unplug";
    EXPECT_EQ(f.manager.availableSources(),
              (std::vector<MIDISourceInfo>{{replaySourceID("Pads"), "Pads"}}));
    EXPECT_TRUE(f.manager.seenSourceIDs().contains(replaySourceID("Keys")));
    EXPECT_EQ(f.service.displayName(keys), "Keys") << "late lists still find their source";
    (void)pads;
}

TEST(ReplaySources, DisabledReplaySourceStaysDisabledAfterReplug) {
    Fixture f;
    const auto first = f.service.addSource(capture("Keys", {{0x10F80000}}));
    f.queue.drain();
    f.manager.setSourceEnabled(replaySourceID("Keys"), false);
    f.service.removeSource(first);
    const auto again = f.service.addSource(capture("Keys", {{0x10F80000}}));
    f.queue.drain();
    EXPECT_FALSE(f.manager.enabledSourceIDs().contains(replaySourceID("Keys")));
    EXPECT_TRUE(f.play(again).empty());
}

TEST(ReplaySources, UnknownReferenceHasNoNameNoIDAndIsNotNative) {
    ReplayService service;
    EXPECT_FALSE(service.displayName(SourceRef{7}).has_value());
    EXPECT_EQ(service.uniqueID(SourceRef{7}), 0);
    EXPECT_FALSE(service.isNativeUMP(SourceRef{7}, 0));
    EXPECT_NE(replaySourceID("Keys"), replaySourceID("Keys2"));
}

struct PortCase {
    const char* name;
    bool midi1Port;
    bool upscale;
    std::vector<Words> lines;
    std::vector<Words> heard;
};

const PortCase portCases[] = {
    {"Midi2PortPassesAsRecorded",
     false,
     false,
     {{0x20903C64}, {0x40903C00, 0xFFFF0000}, {0xD0100100, 0, 0, 0}},
     {{0x20903C64}, {0x40903C00, 0xFFFF0000}, {0xD0100100, 0, 0, 0}}},
    {"Midi2PortUpscalesOnRequest", false, true, {{0x20903C64}}, {{0x40903C00, 0xC9240000}}},
    {"Midi1PortShiftsDownAndDrops",
     true,
     false,
     {{0x40903C00, 0xFFFF0000}, {0xD0100100, 0, 0, 0}, {0x10F80000}},
     {{0x20903C7F}, {0x10F80000}}},
};

class ReplayPort : public ::testing::TestWithParam<PortCase> {};

TEST_P(ReplayPort, ListsCarryWhatThePortReceives) {
    const auto& c = GetParam();
    Fixture f;
    f.service.setUpscaleMidi1(c.upscale);
    f.manager.setMidi1ProtocolOnly(c.midi1Port);
    const auto source = f.service.addSource(capture("Keys", c.lines));
    f.queue.drain();
    EXPECT_EQ(f.play(source), c.heard);
}

INSTANTIATE_TEST_SUITE_P(ReplaySources, ReplayPort, ::testing::ValuesIn(portCases),
                         [](const ::testing::TestParamInfo<PortCase>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
} // namespace umbrascope
