#include <gtest/gtest.h>

#include <memory>

#include "midi/MIDIManager.hpp"
#include "support/FakeClock.hpp"
#include "support/RecordingMidiService.hpp"

namespace umbrascope {
namespace {

using testing_support::RecordingMidiService;
using Source = RecordingMidiService::Source;
using IDs = MIDIManager::SourceIDSet;

struct Fixture {
    RecordingMidiService service;
    ManualQueue queue;
    FakeClock clock;
    SourceRef first = service.plugIn({"Keyboard", 100});
    SourceRef second = service.plugIn({"Pads", 200});
    std::unique_ptr<MIDIManager> manager;

    Fixture() {
        manager = std::make_unique<MIDIManager>(service, queue, clock);
        queue.drain();
    }

    // A setup notification and the main thread catching up with it.
    void rescan(MidiNotification notification = MidiNotification::setupChanged) {
        service.notify(notification);
        queue.drain();
    }
    std::vector<std::int32_t> listedIDs() const {
        std::vector<std::int32_t> ids;
        for (const auto& source : manager->availableSources())
            ids.push_back(source.id);
        return ids;
    }
    std::size_t receive(SourceRef source) {
        const auto before = manager->messages().size();
        EventList list;
        list.add({0x20903C64});
        service.deliver(list, source);
        queue.drain();
        return manager->messages().size() - before;
    }
};

TEST(Setup, CreatesTheClientAndAMidi2PortAndConnectsEverySource) {
    Fixture f;
    EXPECT_EQ(f.service.clientNames, std::vector<std::string>{"UmbrascopeClient"});
    ASSERT_EQ(f.service.createdPorts.size(), 1u);
    EXPECT_EQ(f.service.createdPorts[0].name, "UmbrascopeInput");
    EXPECT_EQ(f.service.createdPorts[0].protocol, MidiProtocol::midi2);
    const auto port = f.service.createdPorts[0].port;
    EXPECT_EQ(f.manager->inputPort(), port);
    EXPECT_EQ(f.service.connections, (std::vector<std::pair<MidiService::PortRef, std::uint64_t>>{
                                         {port, f.first.value}, {port, f.second.value}}));
}

TEST(Setup, ListsArriveOnTheMainThreadAfterTheScan) {
    RecordingMidiService service;
    service.plugIn({"Keyboard", 100});
    ManualQueue queue;
    FakeClock clock;
    MIDIManager manager(service, queue, clock);
    EXPECT_TRUE(manager.availableSources().empty());
    EXPECT_TRUE(manager.enabledSourceIDs().empty()) << "lists before the publish are dropped";
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_EQ(manager.availableSources(), (std::vector<MIDISourceInfo>{{100, "Keyboard"}}));
}

TEST(Sources, FirstScanListsEnablesAndSeesBoth) {
    Fixture f;
    EXPECT_EQ(f.listedIDs(), (std::vector<std::int32_t>{100, 200}));
    EXPECT_EQ(f.manager->connectedSources(), (std::vector<std::string>{"Keyboard", "Pads"}));
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100, 200}));
    EXPECT_EQ(f.manager->seenSourceIDs(), (IDs{100, 200}));
    EXPECT_EQ(f.receive(f.first), 1u);
}

TEST(Sources, DisabledSourceStaysDisabledThroughRescan) {
    Fixture f;
    f.manager->setSourceEnabled(200, false);
    f.rescan();
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100}));
    EXPECT_EQ(f.receive(f.second), 0u);
    EXPECT_EQ(f.receive(f.first), 1u);
}

TEST(Sources, UnpluggedAndRepluggedSourceStaysDisabled) {
    Fixture f;
    f.manager->setSourceEnabled(200, false);
    f.service.unplug(f.second);
    f.rescan(MidiNotification::objectRemoved);
    EXPECT_EQ(f.listedIDs(), (std::vector<std::int32_t>{100}));
    EXPECT_EQ(f.manager->seenSourceIDs(), (IDs{100, 200})) << "gone ids stay seen";
    f.service.replug(f.second);
    f.rescan(MidiNotification::objectAdded);
    EXPECT_EQ(f.listedIDs(), (std::vector<std::int32_t>{100, 200}));
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100}));
}

TEST(Sources, NewSourceIsEnabledAtTheNextNotification) {
    Fixture f;
    f.service.plugIn({"Drums", 300});
    EXPECT_FALSE(f.manager->enabledSourceIDs().contains(300));
    f.rescan(MidiNotification::objectAdded);
    EXPECT_EQ(f.listedIDs(), (std::vector<std::int32_t>{100, 200, 300}));
    EXPECT_TRUE(f.manager->enabledSourceIDs().contains(300));
}

TEST(Sources, UnnamedSourceIsListedAsUnknownSource) {
    Fixture f;
    f.service.plugIn({std::nullopt, 400});
    f.rescan();
    EXPECT_EQ(f.manager->availableSources().back(), (MIDISourceInfo{400, "Unknown Source"}));
    EXPECT_EQ(f.manager->connectedSources().back(), "Unknown Source");
}

TEST(Sources, TwoSourcesWithOneIDShareTheirEnabledState) {
    Fixture f;
    const auto twin = f.service.plugIn({"Keyboard", 100});
    f.rescan();
    f.manager->setSourceEnabled(100, false);
    EXPECT_EQ(f.receive(twin), 0u);
    EXPECT_EQ(f.receive(f.first), 0u);
}

std::vector<std::uint64_t> connectedSince(const RecordingMidiService& service, std::size_t from) {
    std::vector<std::uint64_t> refs;
    for (std::size_t i = from; i < service.connections.size(); ++i)
        refs.push_back(service.connections[i].second);
    return refs;
}

TEST(Batching, BurstOfAdditionsIsOneRescanConnectingOnlyTheNew) {
    Fixture f;
    const auto before = f.service.connections.size();
    std::vector<std::uint64_t> added;
    for (std::int32_t id = 300; id < 305; ++id) {
        added.push_back(f.service.plugIn({"Capture", id}).value);
        f.service.notify(MidiNotification::objectAdded);
    }
    EXPECT_EQ(f.queue.drain(), 2u) << "one rescan and its publish";
    EXPECT_EQ(connectedSince(f.service, before), added);
    EXPECT_EQ(f.manager->availableSources().size(), 7u);
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100, 200, 300, 301, 302, 303, 304}));
}

TEST(Batching, SourceThatWentAndCameBackIsConnectedAgain) {
    Fixture f;
    const auto before = f.service.connections.size();
    f.service.unplug(f.second);
    f.service.notify(MidiNotification::objectRemoved);
    f.service.replug(f.second);
    f.service.notify(MidiNotification::objectAdded);
    f.queue.drain();
    EXPECT_EQ(connectedSince(f.service, before),
              (std::vector<std::uint64_t>{f.first.value, f.second.value}))
        << "a replug under the same reference needs a new connection";
    const auto afterReplug = f.service.connections.size();
    f.rescan(MidiNotification::objectAdded);
    EXPECT_EQ(f.service.connections.size(), afterReplug) << "nothing new: nothing connected";
}

TEST(Batching, ChangeDuringARescanGetsARescanOfItsOwn) {
    Fixture f;
    f.service.duringScan = [&] {
        f.service.plugIn({"Drums", 300});
        f.service.notify(MidiNotification::objectAdded);
    };
    f.rescan();
    EXPECT_TRUE(f.manager->enabledSourceIDs().contains(300));
}

TEST(Batching, EmptyScanAfterEmptyScanPublishesNothing) {
    RecordingMidiService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    EXPECT_EQ(queue.drain(), 0u) << "the first scan is empty";
    service.notify(MidiNotification::setupChanged);
    EXPECT_EQ(queue.drain(), 1u) << "the rescan, and no publish";
    const auto keys = service.plugIn({"Keys", 100});
    service.notify(MidiNotification::objectAdded);
    EXPECT_EQ(queue.drain(), 2u);
    service.unplug(keys);
    service.notify(MidiNotification::objectRemoved);
    EXPECT_EQ(queue.drain(), 2u) << "one source to none is published";
    EXPECT_TRUE(manager.availableSources().empty());
}

struct NotificationCase {
    const char* name;
    std::int32_t messageID;
    bool rescans;
};

class Notifications : public ::testing::TestWithParam<NotificationCase> {};

TEST_P(Notifications, OnlySetupChangesRescan) {
    Fixture f;
    f.service.plugIn({"Drums", 300});
    const auto connectionsBefore = f.service.connections.size();
    f.service.notify(static_cast<MidiNotification>(GetParam().messageID));
    EXPECT_EQ(f.service.connections.size(), connectionsBefore)
        << "the scan waits for the main thread";
    f.queue.drain();
    EXPECT_EQ(f.manager->enabledSourceIDs().contains(300), GetParam().rescans);
}

INSTANTIATE_TEST_SUITE_P(Sources, Notifications,
                         ::testing::Values(NotificationCase{"SetupChanged", 1, true},
                                           NotificationCase{"ObjectAdded", 2, true},
                                           NotificationCase{"ObjectRemoved", 3, true},
                                           NotificationCase{"PropertyChanged", 4, false},
                                           NotificationCase{"InputOverrun", 0x1000, false}),
                         [](const ::testing::TestParamInfo<NotificationCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(Sources, NotificationAfterTheManagerIsGoneDoesNothing) {
    Fixture f;
    f.service.notify(MidiNotification::setupChanged);
    f.manager.reset();
    EXPECT_EQ(f.queue.drain(), 1u) << "a rescan posted before runs and finds no manager";
    f.service.notify(MidiNotification::setupChanged);
    EXPECT_EQ(f.queue.pending(), 0u) << "the service may outlive the queue: nothing is posted";
}

TEST(Overruns, TheServiceCountIsPublishedOnTheMainThread) {
    RecordingMidiService service;
    service.overruns = 1;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    EXPECT_EQ(manager.inputOverruns(), 1u) << "counted before the manager existed";
    service.overruns = 3;
    service.notify(MidiNotification::inputOverrun);
    service.notify(MidiNotification::inputOverrun);
    EXPECT_EQ(manager.inputOverruns(), 1u);
    EXPECT_EQ(queue.drain(), 1u) << "one update for both reports";
    EXPECT_EQ(manager.inputOverruns(), 3u);
}

TEST(Protocol, SwitchingOnAndOffRecreatesThePortTwice) {
    Fixture f;
    const auto firstPort = f.manager->inputPort();
    f.manager->setMidi1ProtocolOnly(true);
    f.manager->setMidi1ProtocolOnly(false);
    ASSERT_EQ(f.service.createdPorts.size(), 3u);
    EXPECT_EQ(f.service.createdPorts[1].protocol, MidiProtocol::midi1);
    EXPECT_EQ(f.service.createdPorts[2].protocol, MidiProtocol::midi2);
    EXPECT_EQ(f.service.disposedPorts,
              (std::vector<MidiService::PortRef>{firstPort, f.service.createdPorts[1].port}));
    // Every source is connected to each new port.
    EXPECT_EQ(f.service.connections.back(), (std::pair<MidiService::PortRef, std::uint64_t>{
                                                f.service.createdPorts[2].port, f.second.value}));
    f.queue.drain();
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100, 200}));
}

TEST(Protocol, SettingTheSameValueDoesNotTouchThePort) {
    Fixture f;
    f.manager->setMidi1ProtocolOnly(false);
    f.manager->setMidi1ProtocolOnly(true);
    f.manager->setMidi1ProtocolOnly(true);
    EXPECT_EQ(f.service.createdPorts.size(), 2u);
    EXPECT_EQ(f.service.disposedPorts.size(), 1u);
    EXPECT_TRUE(f.manager->midi1ProtocolOnly());
}

TEST(Protocol, WithoutAClientThereIsNoPortToDispose) {
    RecordingMidiService service;
    service.clientFails = true;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    EXPECT_EQ(manager.inputPort(), 0u);
    manager.setMidi1ProtocolOnly(true);
    EXPECT_TRUE(service.disposedPorts.empty());
    EXPECT_EQ(service.portRequests, 2u) << "the new protocol is still asked for";
}

} // namespace
} // namespace umbrascope
