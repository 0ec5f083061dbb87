#include <gtest/gtest.h>

#include <memory>

#include "midi/CompositeMidiService.hpp"
#include "midi/MIDIManager.hpp"
#include "support/FakeClock.hpp"
#include "support/RecordingMidiService.hpp"

namespace umbrascope {
namespace {

using testing_support::RecordingMidiService;
using IDs = MIDIManager::SourceIDSet;

// Two services behind one manager: a "system" with a keyboard and "captures" with a pad file.
// Both number their first source 1, as independent services do.
struct Fixture {
    RecordingMidiService* system;
    RecordingMidiService* captures;
    SourceRef keys;
    SourceRef pads;
    std::unique_ptr<CompositeMidiService> composite;
    ManualQueue queue;
    FakeClock clock;
    std::unique_ptr<MIDIManager> manager;

    explicit Fixture(bool systemWithoutClient = false) {
        auto first = std::make_unique<RecordingMidiService>();
        auto second = std::make_unique<RecordingMidiService>();
        first->clientFails = systemWithoutClient;
        system = first.get();
        captures = second.get();
        keys = system->plugIn({"Keys", 100, false});
        pads = captures->plugIn({"Pads", 200, true});
        std::vector<std::unique_ptr<MidiService>> children;
        children.push_back(std::move(first));
        children.push_back(std::move(second));
        composite = std::make_unique<CompositeMidiService>(std::move(children));
        manager = std::make_unique<MIDIManager>(*composite, queue, clock);
        queue.drain();
    }

    const MIDIMessage* receive(RecordingMidiService& child, SourceRef source) {
        EventList list;
        list.add({0x20903C64});
        child.deliver(list, source);
        queue.drain();
        return manager->messages().empty() ? nullptr : &manager->messages().back();
    }
};

TEST(Composite, ChildrenWithCollidingReferencesStayApart) {
    Fixture f;
    ASSERT_EQ(f.keys, f.pads) << "the children's own references collide";
    EXPECT_EQ(f.manager->availableSources(),
              (std::vector<MIDISourceInfo>{{100, "Keys"}, {200, "Pads"}}));
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100, 200}));
    const auto* fromKeys = f.receive(*f.system, f.keys);
    ASSERT_NE(fromKeys, nullptr);
    EXPECT_EQ(fromKeys->sourceName(), "Keys");
    EXPECT_FALSE(fromKeys->sourceIsUMPNative);
    const auto* fromPads = f.receive(*f.captures, f.pads);
    ASSERT_NE(fromPads, nullptr);
    EXPECT_EQ(fromPads->sourceName(), "Pads");
    EXPECT_EQ(fromPads->sourceID, 200);
    EXPECT_TRUE(fromPads->sourceIsUMPNative);
}

TEST(Composite, ReferenceStaysWhileTheOtherChildChanges) {
    Fixture f;
    const SourceRef padsRef = f.composite->sources().back();
    f.system->plugIn({"Drums", 300});
    f.system->unplug(f.keys);
    f.system->notify(MidiNotification::setupChanged);
    f.queue.drain();
    EXPECT_EQ(f.composite->sources(),
              (std::vector<SourceRef>{CompositeMidiService::sourceOf(0, SourceRef{2}), padsRef}));
    EXPECT_EQ(f.composite->uniqueID(padsRef), 200);
}

TEST(Composite, NotificationsOfEitherChildReachTheManager) {
    Fixture f;
    f.captures->plugIn({"Strings", 400});
    f.captures->notify(MidiNotification::objectAdded);
    f.system->overruns = 2;
    f.captures->overruns = 3;
    f.system->notify(MidiNotification::inputOverrun);
    f.queue.drain();
    EXPECT_TRUE(f.manager->enabledSourceIDs().contains(400));
    EXPECT_EQ(f.manager->inputOverruns(), 5u) << "the children's counts add up";
}

TEST(Composite, ProtocolSwitchReachesEveryChild) {
    Fixture f;
    f.manager->setMidi1ProtocolOnly(true);
    for (RecordingMidiService* child : {f.system, f.captures}) {
        ASSERT_EQ(child->createdPorts.size(), 2u);
        EXPECT_EQ(child->createdPorts[1].protocol, MidiProtocol::midi1);
        EXPECT_EQ(child->disposedPorts,
                  (std::vector<MidiService::PortRef>{child->createdPorts[0].port}));
        ASSERT_FALSE(child->connections.empty());
        EXPECT_EQ(child->connections.back(),
                  (std::pair<MidiService::PortRef, std::uint64_t>{child->createdPorts[1].port, 1}))
            << "each child's source is connected to that child's new port";
    }
}

TEST(Composite, ChildWithoutAClientLeavesTheOthersWorking) {
    Fixture f(true);
    EXPECT_NE(f.manager->inputPort(), 0u);
    EXPECT_TRUE(f.system->createdPorts.empty());
    EXPECT_EQ(f.captures->connections, (std::vector<std::pair<MidiService::PortRef, std::uint64_t>>{
                                           {f.captures->createdPorts[0].port, f.pads.value}}));
    EXPECT_NE(f.receive(*f.captures, f.pads), nullptr);
}

TEST(Composite, DetachingReachesEveryChild) {
    Fixture f;
    f.manager.reset();
    EventList list;
    list.add({0x20903C64});
    f.system->deliver(list, f.keys); // no receiver left: nothing runs
    f.captures->deliver(list, f.pads);
    EXPECT_EQ(f.queue.pending(), 0u);
}

} // namespace
} // namespace umbrascope
