#include <gtest/gtest.h>

#include <memory>

#include "midi/CompositeMidiService.hpp"
#include "midi/MIDIManager.hpp"
#include "support/RecordingMidiService.hpp"

namespace umbrascope {
namespace {

using testing_support::RecordingMidiService;
using Connections = std::vector<std::pair<MidiService::PortRef, std::uint64_t>>;

// Two services behind one manager: a "system" with a keyboard and "captures" with a pad file.
// Both number their first source 1, as independent services do.
struct Fixture {
    RecordingMidiService* system;
    RecordingMidiService* captures;
    SourceRef keys;
    SourceRef pads;
    std::unique_ptr<CompositeMidiService> composite;
    ManualQueue queue;
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
        manager = std::make_unique<MIDIManager>(*composite, queue);
        queue.drain();
    }

    std::size_t receive(RecordingMidiService& child, SourceRef source) {
        EventList list;
        list.add({0x20903C64});
        child.deliver(list, source);
        return queue.drain();
    }
};

TEST(Composite, ChildrenWithCollidingReferencesStayApart) {
    Fixture f;
    ASSERT_EQ(f.keys, f.pads) << "the children's own references collide";
    EXPECT_EQ(f.manager->availableSources(),
              (std::vector<MIDISourceInfo>{{100, "Keys"}, {200, "Pads"}}));
    f.receive(*f.system, f.keys);
    f.receive(*f.captures, f.pads);
    const auto& m = f.manager->messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_EQ(std::tuple(m[0].sourceName(), m[0].sourceID, m[0].sourceIsUMPNative),
              std::tuple("Keys", 100, false));
    EXPECT_EQ(std::tuple(m[1].sourceName(), m[1].sourceID, m[1].sourceIsUMPNative),
              std::tuple("Pads", 200, true));
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
        EXPECT_EQ(child->connections.back(),
                  (Connections::value_type{child->createdPorts[1].port, 1}))
            << "each child's source is connected to that child's new port";
    }
}

TEST(Composite, ChildWithoutAClientLeavesTheOthersWorking) {
    Fixture f(true);
    EXPECT_NE(f.manager->inputPort(), 0u);
    EXPECT_TRUE(f.system->createdPorts.empty());
    EXPECT_EQ(f.captures->connections,
              (Connections{{f.captures->createdPorts[0].port, f.pads.value}}));
    EXPECT_EQ(f.receive(*f.captures, f.pads), 1u);
}

TEST(Composite, DetachingReachesEveryChild) {
    Fixture f;
    f.manager.reset();
    EXPECT_EQ(f.receive(*f.system, f.keys), 0u) << "no receiver left: nothing runs";
    EXPECT_EQ(f.receive(*f.captures, f.pads), 0u);
}

} // namespace
} // namespace umbrascope
