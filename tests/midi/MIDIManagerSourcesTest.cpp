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
    void rescan(std::int32_t messageID = 1) {
        service.notify(messageID);
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
    f.rescan(3);
    EXPECT_EQ(f.listedIDs(), (std::vector<std::int32_t>{100}));
    EXPECT_EQ(f.manager->seenSourceIDs(), (IDs{100, 200})) << "gone ids stay seen";
    f.service.replug(f.second);
    f.rescan(2);
    EXPECT_EQ(f.listedIDs(), (std::vector<std::int32_t>{100, 200}));
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100}));
}

TEST(Sources, NewSourceIsEnabledAtTheNextNotification) {
    Fixture f;
    f.service.plugIn({"Drums", 300});
    EXPECT_FALSE(f.manager->enabledSourceIDs().contains(300));
    f.rescan(2);
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
    f.service.notify(GetParam().messageID);
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
                                           NotificationCase{"Other", 99, false}),
                         [](const ::testing::TestParamInfo<NotificationCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(Sources, NotificationAfterTheManagerIsGoneDoesNothing) {
    Fixture f;
    f.service.notify(1);
    f.manager.reset();
    EXPECT_EQ(f.queue.drain(), 1u) << "a rescan posted before runs and finds no manager";
    f.service.notify(1);
    EXPECT_EQ(f.queue.pending(), 0u) << "the service may outlive the queue: nothing is posted";
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

struct NativeCase {
    const char* name;
    bool endpointManager;
    Source source;
    bool native;
};

class NativeTest : public ::testing::TestWithParam<NativeCase> {};

TEST_P(NativeTest, DecidesPerSystemVersion) {
    const auto& c = GetParam();
    RecordingMidiService service;
    service.endpointManager = c.endpointManager;
    const auto ref = service.plugIn(c.source);
    ManualQueue queue;
    MIDIManager manager(service, queue);
    queue.drain();
    EXPECT_EQ(manager.isSourceNativeUMP(ref, c.source.id), c.native);
    manager.setOnlyUMPSources(true);
    EventList list;
    list.add({0x40903C00, 0xFFFF0000});
    service.deliver(list, ref);
    queue.drain();
    EXPECT_EQ(manager.messages().size(), c.native ? 1u : 0u);
    if (c.native) {
        EXPECT_TRUE(manager.messages().front().sourceIsUMPNative);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sources, NativeTest,
    ::testing::Values(
        NativeCase{"OlderSystemProtocol2", false, {"Synth", 1, 2, false}, true},
        NativeCase{"OlderSystemProtocol1", false, {"Synth", 1, 1, false}, false},
        NativeCase{"OlderSystemReadFails", false, {"Synth", 1, std::nullopt, false}, false},
        NativeCase{"NewerSystemEndpoint", true, {"Synth", 1, 1, true}, true},
        NativeCase{"NewerSystemIgnoresProtocol", true, {"Synth", 1, 2, false}, false}),
    [](const ::testing::TestParamInfo<NativeCase>& row) { return std::string(row.param.name); });

TEST(NativeTest, EndpointSetIsRebuiltAtEveryScan) {
    Fixture f;
    EXPECT_TRUE(f.manager->nativeUMPSourceIDs().empty());
    f.service.plugIn({"MIDI 2.0 Synth", 500, 2, true});
    f.rescan();
    EXPECT_EQ(f.manager->nativeUMPSourceIDs(), (IDs{500}));
}

} // namespace
} // namespace umbrascope
