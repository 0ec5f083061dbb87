#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "midi/CompositeMIDIService.hpp"
#include "midi/MIDIManager.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeMIDIService.hpp"
#include "support/RecordingMIDIService.hpp"

namespace umbrascope {
namespace {

using testing_support::RecordingMIDIService;
using Words = std::vector<std::uint32_t>;
using IDs = MIDIManager::SourceIDSet;
using P = MIDIManagerProperty;
using Connections = std::vector<std::pair<MIDIService::PortRef, std::uint64_t>>;

// A running manager that has published its first scan of two enabled sources.
struct Fixture {
    RecordingMIDIService service;
    ManualQueue queue;
    FakeClock clock;
    SourceRef keys = service.plugIn({"Keys", 100, true});
    SourceRef pads = service.plugIn({"Pads", 200, false});
    std::unique_ptr<MIDIManager> manager = std::make_unique<MIDIManager>(service, queue, clock);
    std::optional<SourceRef> from = keys;

    Fixture() { queue.drain(); }

    void receive(const std::vector<Words>& eventPackets) {
        EventList list;
        for (const auto& words : eventPackets)
            list.add(words);
        service.deliver(list, from);
        queue.drain();
    }
    // A setup notification and the main thread catching up with it.
    void rescan(MIDINotification notification = MIDINotification::setupChanged) {
        service.notify(notification);
        queue.drain();
    }
    std::vector<Words> words() const {
        std::vector<Words> result;
        for (const auto& m : manager->messages())
            result.push_back(m.words.toVector());
        return result;
    }
};

// --- Receive: the filters in their order, and the sequence numbers they use up -------------

struct ReceiveCase {
    const char* name;
    void (*configure)(Fixture&);
    Words words; // one event packet
    std::vector<Words> kept;
    std::int64_t numbersUsed;
};

void hideClock(Fixture& f) {
    f.manager->setHideMidiClock(true);
}
void hideMIDI1(Fixture& f) {
    MessageTypeSet hidden;
    hidden.insert(UMPMessageType::midi1ChannelVoice);
    f.manager->setHiddenMessageTypes(hidden);
}

// clang-format off
const ReceiveCase receiveCases[] = {
    {"threeWordsTwoMessages", [](Fixture&) {}, {0x20903C64, 0x40903C00, 0xFFFF0000}, {{0x20903C64}, {0x40903C00, 0xFFFF0000}}, 2},
    {"clockHiddenStartContinueStopKept", hideClock, {0x10F80000, 0x10FA0000, 0x10FB0000, 0x10FC0000}, {{0x10FA0000}, {0x10FB0000}, {0x10FC0000}}, 4},
    {"statusF8OutsideSystemIsNoClock", hideClock, {0x20F80000}, {{0x20F80000}}, 1},
    {"activeSensingHiddenClockKept", [](Fixture& f) { f.manager->setHideActiveSensing(true); }, {0x10FE0000, 0x10F80000}, {{0x10F80000}}, 2},
    {"midi1HiddenMidi2Kept", hideMIDI1, {0x20903C64, 0x40903C00, 0xFFFF0000}, {{0x40903C00, 0xFFFF0000}}, 2},
    {"disabledSourceUsesNoNumber", [](Fixture& f) { f.manager->setSourceEnabled(200, false); f.from = f.pads; }, {0x10FA0000}, {}, 0},
    {"noReferenceIsIDZeroAndNotEnabled", [](Fixture& f) { f.from = std::nullopt; }, {0x10FA0000}, {}, 0},
    {"onlyUMPSourcesDropsANonNativeList", [](Fixture& f) { f.manager->setOnlyUMPSources(true); f.from = f.pads; }, {0x10FA0000}, {}, 0},
};
// clang-format on

class Receive : public testing::TestWithParam<ReceiveCase> {};

TEST_P(Receive, KeepsAndNumbers) {
    const auto& c = GetParam();
    Fixture f;
    c.configure(f);
    f.receive({c.words});
    EXPECT_EQ(f.words(), c.kept);
    // A message after the filters are off shows how many numbers the list used up.
    f.manager->setHiddenMessageTypes({});
    f.manager->setHideMidiClock(false);
    f.manager->setHideActiveSensing(false);
    f.manager->setOnlyUMPSources(false);
    f.from = f.keys;
    f.receive({{0x20903C64}});
    EXPECT_EQ(f.manager->messages().back().sequenceNumber, c.numbersUsed);
}

INSTANTIATE_TEST_SUITE_P(Cases, Receive, testing::ValuesIn(receiveCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(ReceiveStep, OneListIsOneMainThreadStepReadingWhatEachPacketDeclares) {
    Fixture f;
    f.manager->setMaxMessages(66);
    std::vector<P> heard;
    auto subscription = f.manager->observers().subscribe([&](P p) { heard.push_back(p); });
    std::vector<MessagesChange> changes;
    auto changeSubscription = f.manager->messageChanges().subscribe(
        [&](const MessagesChange& change) { changes.push_back(change); });
    Words seventy(70);
    for (std::uint32_t i = 0; i < 70; ++i)
        seventy[i] = 0x10FA0000 | i;
    EventList list;
    list.addDeclared(0, Words{0x20903C64});              // nothing to read
    list.addDeclared(70, seventy);                       // at most 64 words are read
    list.addDeclared(64, Words{0x10FB0000, 0x10FC0000}); // never past the words present
    list.addDeclared(1, Words{0x40903C00, 0xFFFF0000});  // a packet cut short by the count
    f.service.deliver(list, f.keys);
    EXPECT_TRUE(f.manager->messages().empty()) << "nothing may change before the main thread runs";
    EXPECT_EQ(f.queue.pending(), 1u);
    f.queue.drain();
    const auto words = f.words();
    ASSERT_EQ(words.size(), 66u);
    EXPECT_EQ(words.front(), Words{0x10FA0001}) << "one of the 67 read is dropped";
    EXPECT_EQ((std::vector<Words>(words.end() - 4, words.end())),
              (std::vector<Words>{{0x10FA003F}, {0x10FB0000}, {0x10FC0000}, {0x40903C00}}));
    EXPECT_EQ(heard, (std::vector<P>{P::messages, P::isBufferFull, P::lastMessageDate}));
    EXPECT_EQ(changes, (std::vector<MessagesChange>{{67, 1, false}})) << "a batch drops its own";
}

TEST(ReceiveStep, MessagesCarryTheirSourceAndTime) {
    Fixture f;
    const SourceRef renamed = f.service.plugIn({"Renamed", 100, true});
    const SourceRef unnamed = f.service.plugIn({std::nullopt, 0, false});
    f.manager->setEnabledSourceIDs({0, 100});
    f.clock.advance(std::chrono::seconds(3));
    for (const auto from : {std::optional(f.keys), std::optional(f.keys), std::optional(renamed),
                            std::optional(unnamed), std::optional<SourceRef>()}) {
        f.from = from;
        f.receive({{0x40903C00, 0xFFFF0000}});
    }
    using Source = std::tuple<std::string, std::int32_t, bool>;
    std::vector<Source> sources;
    for (const auto& m : f.manager->messages()) {
        sources.emplace_back(m.sourceName(), m.sourceID, m.sourceIsUMPNative);
        EXPECT_EQ(m.timestamp, f.clock.wallNow());
    }
    EXPECT_EQ(sources, (std::vector<Source>{{"Keys", 100, true},
                                            {"Keys", 100, true},
                                            {"Renamed", 100, true},
                                            {"Unknown Source", 0, false},
                                            {"Unknown", 0, false}}));
    EXPECT_EQ(f.manager->messages()[0].sourceNameStorage,
              f.manager->messages()[1].sourceNameStorage)
        << "one name per source";
    EXPECT_EQ(f.manager->lastMessageDate(), f.clock.wallNow());
}

// --- Buffer -------------------------------------------------------------------------------

TEST(Buffer, FiveHundredAndOneThenClear) {
    Fixture f;
    for (int i = 0; i < 500; ++i)
        f.receive({{0x10FA0000}});
    EXPECT_FALSE(f.manager->isBufferFull()) << "exactly at the limit";
    std::vector<MessagesChange> changes;
    auto subscription = f.manager->messageChanges().subscribe(
        [&](const MessagesChange& change) { changes.push_back(change); });
    f.clock.advance(std::chrono::seconds(5));
    f.receive({{0x10FA0000}});
    ASSERT_EQ(f.manager->messages().size(), 500u);
    EXPECT_EQ(f.manager->messages().front().sequenceNumber, 1);
    EXPECT_TRUE(f.manager->isBufferFull());
    EXPECT_EQ(f.manager->lastMessageMonotonic(), f.clock.monotonicNow());

    f.manager->clearMessages();
    EXPECT_EQ(changes, (std::vector<MessagesChange>{{1, 1, false}, {0, 0, true}}));
    EXPECT_TRUE(f.manager->messages().empty());
    EXPECT_FALSE(f.manager->isBufferFull());
    EXPECT_FALSE(f.manager->lastMessageDate().has_value());
    EXPECT_FALSE(f.manager->lastMessageMonotonic().has_value());
    f.receive({{0x10FA0000}});
    EXPECT_EQ(f.manager->messages().back().sequenceNumber, 501);
}

TEST(Buffer, LoweringThenRaisingTheLimit) {
    Fixture f;
    f.manager->setMaxMessages(5000);
    for (int i = 0; i < 12; ++i)
        f.receive(std::vector<Words>(100, Words{0x10FA0000}));
    std::vector<MessagesChange> changes;
    auto subscription = f.manager->messageChanges().subscribe(
        [&](const MessagesChange& change) { changes.push_back(change); });
    f.manager->setMaxMessages(500);
    ASSERT_EQ(f.manager->messages().size(), 500u);
    EXPECT_EQ(f.manager->messages().front().sequenceNumber, 700);
    EXPECT_TRUE(f.manager->isBufferFull());
    f.manager->setMaxMessages(5000);
    EXPECT_TRUE(f.manager->isBufferFull()) << "raising the limit never clears the flag";
    EXPECT_EQ(changes, (std::vector<MessagesChange>{{0, 700, false}})) << "raising drops nothing";
}

TEST(Buffer, ManagerGoneBeforeItsPostsRun) {
    Fixture f;
    EventList list;
    list.add({0x10FB0000});
    f.service.deliver(list, f.keys);
    f.service.notify(MIDINotification::setupChanged);
    f.manager.reset();
    EXPECT_EQ(f.queue.drain(), 2u) << "the batch and the rescan posted before run and do nothing";
    f.service.deliver(list, f.keys);
    f.service.notify(MIDINotification::setupChanged);
    EXPECT_EQ(f.queue.pending(), 0u) << "the service may outlive the queue: nothing is posted";
}

// --- The hand-over to the main thread is bounded ------------------------------------------

// A service whose sources are files (they may wait) or live ports.
class HandoverService final : public testing_support::FakeMIDIService {
public:
    explicit HandoverService(bool files) : files_(files) {}
    bool canWait(SourceRef) const override { return files_; }

private:
    bool files_;
};

struct Handover {
    explicit Handover(bool files) : service(files) { manager->setEnabledSourceIDs({7}); }
    HandoverService service;
    SourceRef source = service.addSource({"Flood", 7, true});
    ManualQueue queue;
    std::unique_ptr<MIDIManager> manager = std::make_unique<MIDIManager>(service, queue);
    EventList clock = [] {
        EventList list;
        list.add({0x10F80000});
        return list;
    }();
    void deliver(std::size_t lists) {
        for (std::size_t i = 0; i < lists; ++i)
            service.deliver(clock, source);
    }
    // The main thread at work while `lists` are delivered on a thread of their own: how many
    // tasks it ever found waiting.
    std::size_t drainWhileDelivering(std::size_t lists) {
        std::atomic<bool> done{false};
        std::thread device([&] {
            deliver(lists);
            done = true;
        });
        std::size_t most = 0;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (!done && std::chrono::steady_clock::now() < deadline) {
            most = std::max(most, queue.pending());
            queue.drain();
        }
        device.join();
        queue.drain();
        return most;
    }
};

constexpr std::size_t bound = MIDIManager::maxPendingMessages;

TEST(Handover, ALiveSourceBeyondTheBoundIsLostAndToldAsOverruns) {
    Handover h(false);
    std::vector<P> told;
    auto watch = h.manager->observers().subscribe([&](P p) { told.push_back(p); });
    h.deliver(bound + 3); // the main thread is busy elsewhere
    EXPECT_EQ(h.queue.pending(), bound + 1) << "the batches within the bound and one report";
    h.queue.drain();
    EXPECT_EQ(h.manager->inputOverruns(), 3u);
    EXPECT_EQ(std::count(told.begin(), told.end(), P::inputOverruns), 1);
    EXPECT_EQ(h.manager->messages().back().sequenceNumber, static_cast<std::int64_t>(bound) - 1);
    h.deliver(1);
    h.queue.drain();
    EXPECT_EQ(h.manager->messages().back().sequenceNumber, static_cast<std::int64_t>(bound) + 3)
        << "the lost lists leave their gap";
}

TEST(Handover, AFileWaitsForRoomAndLosesNothing) {
    const struct {
        const char* name;
        bool onMainThread; // delivers there, then drains: waiting would never end
    } rows[] = {{"ownThread", false}, {"mainThread", true}};
    for (const auto& row : rows) {
        Handover h(true);
        h.manager->setMaxMessages(5000);
        const std::size_t lists = 3 * bound;
        if (row.onMainThread) {
            h.deliver(lists);
            h.queue.drain();
        } else {
            EXPECT_LE(h.drainWhileDelivering(lists), bound + 1) << row.name;
        }
        EXPECT_EQ(h.manager->inputOverruns(), 0u) << row.name;
        EXPECT_EQ(h.manager->messages().size(), 5000u) << row.name;
        EXPECT_EQ(h.manager->messages().back().sequenceNumber, static_cast<std::int64_t>(lists) - 1)
            << row.name;
    }
}

TEST(Handover, AManagerGoingAwayReleasesAWaitingFile) {
    Handover h(true);
    std::thread device([&] { h.deliver(2 * bound); });
    EXPECT_TRUE([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (h.queue.pending() < bound)
            if (std::chrono::steady_clock::now() > deadline) return false;
        return true;
    }());
    h.manager.reset(); // returns although the device waits for room that never comes
    device.join();
}

// --- Sources, client and port -------------------------------------------------------------

TEST(Sources, SetupConnectsEverySourceToAMidi2PortAndPublishesOnTheMainThread) {
    RecordingMIDIService service;
    const SourceRef keys = service.plugIn({"Keys", 100});
    const SourceRef pads = service.plugIn({"Pads", 200});
    service.overruns = 1;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    EXPECT_EQ(manager.inputOverruns(), 1u) << "counted before the manager existed";
    EXPECT_EQ(service.clientNames, std::vector<std::string>{"UmbrascopeClient"});
    ASSERT_EQ(service.createdPorts.size(), 1u);
    EXPECT_EQ(service.createdPorts[0].name, "UmbrascopeInput");
    EXPECT_EQ(service.createdPorts[0].protocol, MIDIProtocol::midi2);
    const auto port = service.createdPorts[0].port;
    EXPECT_EQ(manager.inputPort(), port);
    EXPECT_EQ(service.connections, (Connections{{port, keys.value}, {port, pads.value}}));
    EXPECT_TRUE(manager.enabledSourceIDs().empty()) << "lists before the publish are dropped";
    EXPECT_EQ(queue.drain(), 1u);
    EXPECT_EQ(manager.availableSources(),
              (std::vector<MIDISourceInfo>{{100, "Keys"}, {200, "Pads"}}));
    EXPECT_EQ(manager.connectedSources(), (std::vector<std::string>{"Keys", "Pads"}));
    EXPECT_EQ(manager.enabledSourceIDs(), (IDs{100, 200}));
    EXPECT_EQ(manager.seenSourceIDs(), (IDs{100, 200}));

    service.overruns = 3;
    service.notify(MIDINotification::inputOverrun);
    service.notify(MIDINotification::inputOverrun);
    EXPECT_EQ(manager.inputOverruns(), 1u) << "published on the main thread";
    EXPECT_EQ(queue.drain(), 1u) << "one update for both reports";
    EXPECT_EQ(manager.inputOverruns(), 3u);
}

TEST(Sources, EnabledOnceWhenFirstSeen) {
    Fixture f;
    f.manager->setSourceEnabled(200, false);
    f.rescan();
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100}));
    f.service.unplug(f.pads);
    f.rescan(MIDINotification::objectRemoved);
    EXPECT_EQ(f.manager->availableSources(), (std::vector<MIDISourceInfo>{{100, "Keys"}}));
    EXPECT_EQ(f.manager->seenSourceIDs(), (IDs{100, 200})) << "gone ids stay seen";
    f.service.replug(f.pads);
    f.service.plugIn({std::nullopt, 300});
    f.rescan(MIDINotification::objectAdded);
    EXPECT_EQ(f.manager->availableSources(),
              (std::vector<MIDISourceInfo>{{100, "Keys"}, {200, "Pads"}, {300, "Unknown Source"}}));
    EXPECT_EQ(f.manager->enabledSourceIDs(), (IDs{100, 300}));
}

TEST(Sources, AnUnknownNotificationDoesNotRescan) {
    Fixture f;
    f.service.plugIn({"Drums", 300});
    f.rescan(static_cast<MIDINotification>(4));
    EXPECT_FALSE(f.manager->enabledSourceIDs().contains(300));
}

Connections connectedSince(const RecordingMIDIService& service, std::size_t from) {
    return {service.connections.begin() + static_cast<std::ptrdiff_t>(from),
            service.connections.end()};
}

TEST(Sources, NotificationsBatchIntoRescansThatConnectWhatIsNew) {
    Fixture f;
    const auto port = f.manager->inputPort();
    auto before = f.service.connections.size();
    Connections added;
    for (std::int32_t id = 300; id < 303; ++id) {
        added.emplace_back(port, f.service.plugIn({"Capture", id}).value);
        f.service.notify(MIDINotification::objectAdded);
    }
    EXPECT_EQ(f.queue.drain(), 2u) << "a burst is one rescan and its publish";
    EXPECT_EQ(connectedSince(f.service, before), added) << "only the new are connected";

    before = f.service.connections.size();
    f.service.unplug(f.pads);
    f.service.notify(MIDINotification::objectRemoved);
    f.service.replug(f.pads);
    f.service.notify(MIDINotification::objectAdded);
    f.queue.drain();
    EXPECT_EQ(connectedSince(f.service, before).size(), 5u)
        << "a replug under the same reference needs a new connection";

    f.service.duringScan = [&] {
        f.service.plugIn({"Drums", 400});
        f.service.notify(MIDINotification::objectAdded);
    };
    f.rescan();
    EXPECT_TRUE(f.manager->enabledSourceIDs().contains(400)) << "a change during a rescan";
}

TEST(Sources, EmptyScanAfterEmptyScanPublishesNothing) {
    RecordingMIDIService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    EXPECT_EQ(queue.drain(), 0u) << "the first scan is empty";
    service.notify(MIDINotification::setupChanged);
    EXPECT_EQ(queue.drain(), 1u) << "the rescan, and no publish";
    const auto keys = service.plugIn({"Keys", 100});
    service.notify(MIDINotification::objectAdded);
    EXPECT_EQ(queue.drain(), 2u);
    service.unplug(keys);
    service.notify(MIDINotification::objectRemoved);
    EXPECT_EQ(queue.drain(), 2u) << "one source to none is published";
    EXPECT_TRUE(manager.availableSources().empty());
}

TEST(Sources, WithoutAClientThereIsNoPortToDispose) {
    RecordingMIDIService service;
    service.clientFails = true;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    EXPECT_EQ(manager.inputPort(), 0u);
    manager.setMIDI1ProtocolOnly(true);
    EXPECT_TRUE(service.disposedPorts.empty());
    EXPECT_EQ(service.portRequests, 2u) << "the new protocol is still asked for";
}

// --- Several services behind one manager -------------------------------------------------

// Two services behind one manager: a "system" with a keyboard and "captures" with a pad file.
// Both number their first source 1, as independent services do.
struct CompositeFixture {
    RecordingMIDIService* system;
    RecordingMIDIService* captures;
    SourceRef keys;
    SourceRef pads;
    std::unique_ptr<CompositeMIDIService> composite;
    ManualQueue queue;
    std::unique_ptr<MIDIManager> manager;

    explicit CompositeFixture(bool systemWithoutClient = false) {
        std::vector<std::unique_ptr<MIDIService>> children;
        for (RecordingMIDIService** child : {&system, &captures}) {
            auto made = std::make_unique<RecordingMIDIService>();
            *child = made.get();
            children.push_back(std::move(made));
        }
        system->clientFails = systemWithoutClient;
        keys = system->plugIn({"Keys", 100, false});
        pads = captures->plugIn({"Pads", 200, true});
        composite = std::make_unique<CompositeMIDIService>(std::move(children));
        manager = std::make_unique<MIDIManager>(*composite, queue);
        queue.drain();
    }

    std::size_t receive(RecordingMIDIService& child, SourceRef source) {
        EventList list;
        list.add({0x20903C64});
        child.deliver(list, source);
        return queue.drain();
    }
};

TEST(Composite, ChildrenWithCollidingReferencesStayApart) {
    CompositeFixture f;
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
    CompositeFixture f;
    f.captures->plugIn({"Strings", 400});
    f.captures->notify(MIDINotification::objectAdded);
    f.system->overruns = 2;
    f.captures->overruns = 3;
    f.system->notify(MIDINotification::inputOverrun);
    f.queue.drain();
    EXPECT_TRUE(f.manager->enabledSourceIDs().contains(400));
    EXPECT_EQ(f.manager->inputOverruns(), 5u) << "the children's counts add up";
}

// Each child makes its port again only when the protocol changes, and connects its source to it.
TEST(Composite, ProtocolSwitchRecreatesEveryChildsPortOnlyOnAChange) {
    CompositeFixture f;
    for (const bool midi1Only : {false, true, true, false})
        f.manager->setMIDI1ProtocolOnly(midi1Only);
    for (RecordingMIDIService* child : {f.system, f.captures}) {
        const auto& ports = child->createdPorts;
        ASSERT_EQ(ports.size(), 3u);
        EXPECT_EQ(ports[1].protocol, MIDIProtocol::midi1);
        EXPECT_EQ(ports[2].protocol, MIDIProtocol::midi2);
        EXPECT_EQ(child->disposedPorts,
                  (std::vector<MIDIService::PortRef>{ports[0].port, ports[1].port}));
        EXPECT_EQ(child->connections.back(), (Connections::value_type{ports[2].port, 1}));
    }
}

TEST(Composite, ChildWithoutAClientLeavesTheOthersWorking) {
    CompositeFixture f(true);
    EXPECT_NE(f.manager->inputPort(), 0u);
    EXPECT_TRUE(f.system->createdPorts.empty()) << "asked with its own, failed client";
    EXPECT_EQ(f.captures->connections,
              (Connections{{f.captures->createdPorts[0].port, f.pads.value}}));
    EXPECT_EQ(f.receive(*f.captures, f.pads), 1u);
}

TEST(Composite, DetachingReachesEveryChild) {
    CompositeFixture f;
    f.manager.reset();
    EXPECT_EQ(f.receive(*f.system, f.keys), 0u) << "no receiver left: nothing runs";
    EXPECT_EQ(f.receive(*f.captures, f.pads), 0u);
}

// --- The thread rule checks itself where checks are built in -------------------------------

// A setting changed, a batch appended or a rescan run on another thread stops the program and
// says where; a delivery thread is the one that may call in.
TEST(ThreadRule, OnlyTheReceiveSideRunsOffTheMainThread) {
#if UMBRASCOPE_THREAD_CHECKS
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Fixture f;
    const auto elsewhere = [](auto call) { std::thread(call).join(); };
    elsewhere([&] { f.service.deliver(EventList{}, f.keys); });
    EXPECT_DEATH(elsewhere([&] { f.manager->setHideMidiClock(true); }),
                 "MIDIManager::setHideMidiClock called off its owner thread");
    EXPECT_DEATH(elsewhere([&] { f.manager->refreshSources(); }),
                 "MIDISources::rescan called off its owner thread");
    elsewhere([&] {
        EventList list;
        list.add({0x20903C64});
        f.service.deliver(list, f.keys);
    });
    EXPECT_DEATH(elsewhere([&] { f.queue.drain(); }),
                 "MIDIManager::appendBatch called off its owner thread");
#else
    GTEST_SKIP() << "thread checks are compiled out of Release builds";
#endif
}

} // namespace
} // namespace umbrascope
