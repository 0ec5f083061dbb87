#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "midi/MIDIManager.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeMidiService.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeMidiService;
using T = UMPMessageType;
using Words = std::vector<std::uint32_t>;

constexpr std::int32_t keyboardID = 1234;

struct Fixture {
    FakeMidiService service;
    ManualQueue queue;
    FakeClock clock;
    std::unique_ptr<MIDIManager> manager = std::make_unique<MIDIManager>(service, queue, clock);
    SourceRef keyboard = service.addSource({"Keyboard", keyboardID, true});

    Fixture() { manager->setEnabledSourceIDs({keyboardID}); }

    void receive(std::vector<Words> eventPackets, std::optional<SourceRef> source) {
        EventList list;
        for (const auto& words : eventPackets)
            list.add(words);
        service.deliver(list, source);
        queue.drain();
    }
    void receive(std::vector<Words> eventPackets) { receive(std::move(eventPackets), keyboard); }

    std::vector<std::int64_t> numbers() const {
        std::vector<std::int64_t> result;
        for (const auto& m : manager->messages())
            result.push_back(m.sequenceNumber);
        return result;
    }
    std::vector<Words> words() const {
        std::vector<Words> result;
        for (const auto& m : manager->messages())
            result.push_back(m.words.toVector());
        return result;
    }
};

// --- Filters, in their order, and the numbers they use up ---------------------------------

struct FilterCase {
    const char* name;
    void (*configure)(MIDIManager&);
    Words words; // one event packet
    std::vector<Words> kept;
    std::int64_t numbersUsed;
};

class ReceiveFilters : public testing::TestWithParam<FilterCase> {};

TEST_P(ReceiveFilters, KeepsAndNumbers) {
    const auto& c = GetParam();
    Fixture f;
    c.configure(*f.manager);
    f.receive({c.words});
    EXPECT_EQ(f.words(), c.kept);
    // A following message shows how many numbers the list used up.
    f.manager->setHiddenMessageTypes({});
    f.manager->setHideMidiClock(false);
    f.manager->setHideActiveSensing(false);
    f.receive({{0x20903C64}});
    EXPECT_EQ(f.manager->messages().back().sequenceNumber, c.numbersUsed);
}

void nothing(MIDIManager&) {}
void noClock(MIDIManager& m) {
    m.setHideMidiClock(true);
}
void noActiveSensing(MIDIManager& m) {
    m.setHideActiveSensing(true);
}
void noMidi1(MIDIManager& m) {
    MessageTypeSet hidden;
    hidden.insert(T::midi1ChannelVoice);
    m.setHiddenMessageTypes(hidden);
}
void noUnknown(MIDIManager& m) {
    MessageTypeSet hidden;
    hidden.insert(T::unknown);
    m.setHiddenMessageTypes(hidden);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReceiveFilters,
    testing::Values(
        FilterCase{"threeWordsTwoMessages",
                   nothing,
                   {0x20903C64, 0x40903C00, 0xFFFF0000},
                   {{0x20903C64}, {0x40903C00, 0xFFFF0000}},
                   2},
        FilterCase{"clockHiddenUsesItsNumber", noClock, {0x10F80000}, {}, 1},
        FilterCase{"continueAndStopKept",
                   noClock,
                   {0x10FB0000, 0x10FC0000},
                   {{0x10FB0000}, {0x10FC0000}},
                   2},
        FilterCase{"activeSensingHidden", noActiveSensing, {0x10FE0000}, {}, 1},
        FilterCase{"clockKeptWithOnlyActiveSensingHidden",
                   noActiveSensing,
                   {0x10F80000},
                   {{0x10F80000}},
                   1},
        FilterCase{"midi1HiddenMidi2Kept",
                   noMidi1,
                   {0x20903C64, 0x40903C00, 0xFFFF0000},
                   {{0x40903C00, 0xFFFF0000}},
                   2},
        // Only system messages are tested for the clock status; an F8 in a MIDI 1.0 word is not.
        FilterCase{"statusF8OutsideSystemKept", noClock, {0x20F80000}, {{0x20F80000}}, 1},
        FilterCase{
            "unknownHidden", noUnknown, {0x80000000, 0xE0000000, 0x10FA0000}, {{0x10FA0000}}, 3},
        FilterCase{
            "truncatedKept", nothing, {0x50160000, 0x01020304}, {{0x50160000, 0x01020304}}, 1}),
    [](const auto& p) { return p.param.name; });

TEST(Receive, MessagesOfOneListArriveInOneStep) {
    Fixture f;
    EventList list;
    list.add({0x20903C64});
    list.add({}); // an empty packet among others
    list.add({0x40903C00, 0xFFFF0000});
    f.service.deliver(list, f.keyboard);
    EXPECT_TRUE(f.manager->messages().empty()) << "nothing may change before the main thread runs";
    EXPECT_EQ(f.queue.pending(), 1u);
    int messageChanges = 0;
    auto subscription = f.manager->observers().subscribe([&](MIDIManagerProperty p) {
        if (p == MIDIManagerProperty::messages) ++messageChanges;
    });
    f.queue.drain();
    EXPECT_EQ(f.numbers(), (std::vector<std::int64_t>{0, 1}));
    EXPECT_EQ(messageChanges, 1);
}

TEST(Receive, RecordFields) {
    Fixture f;
    f.clock.advance(std::chrono::seconds(3));
    f.receive({{0x40903C00, 0xFFFF0000}});
    ASSERT_EQ(f.manager->messages().size(), 1u);
    const MIDIMessage& m = f.manager->messages().front();
    EXPECT_EQ(m.sourceName(), "Keyboard");
    EXPECT_EQ(m.sourceID, keyboardID);
    EXPECT_TRUE(m.sourceIsUMPNative);
    EXPECT_EQ(m.messageType, T::midi2ChannelVoice);
    EXPECT_EQ(m.timestamp, f.clock.wallNow());
    EXPECT_EQ(f.manager->lastMessageDate(), f.clock.wallNow());
}

TEST(Receive, SourceIdentity) {
    struct Case {
        const char* name;
        std::optional<std::string> sourceName;
        bool withReference;
        const char* expectedName;
    };
    const Case cases[] = {
        {"named", "Synth", true, "Synth"},
        {"unnamed", std::nullopt, true, "Unknown Source"},
        {"noReference", std::nullopt, false, "Unknown"},
    };
    for (const auto& c : cases) {
        Fixture f;
        const SourceRef ref = f.service.addSource({c.sourceName, 0, false});
        f.manager->setEnabledSourceIDs({0});
        f.receive({{0x10FA0000}}, c.withReference ? std::optional(ref) : std::nullopt);
        ASSERT_EQ(f.manager->messages().size(), 1u) << c.name;
        EXPECT_EQ(f.manager->messages().front().sourceName(), c.expectedName) << c.name;
        EXPECT_EQ(f.manager->messages().front().sourceID, 0) << c.name;
        EXPECT_FALSE(f.manager->messages().front().sourceIsUMPNative) << c.name;
    }
}

TEST(Receive, DisabledSourceUsesNoNumber) {
    Fixture f;
    const SourceRef other = f.service.addSource({"Other", 99, true});
    f.receive({{0x10FA0000}}, other);
    EXPECT_TRUE(f.manager->messages().empty());
    EXPECT_EQ(f.queue.pending(), 0u) << "nothing is posted for a dropped list";
    f.receive({{0x10FA0000}}, std::nullopt); // id 0, not enabled
    f.receive({{0x10FA0000}});
    EXPECT_EQ(f.numbers(), (std::vector<std::int64_t>{0}));
}

TEST(Receive, OnlyUMPSourcesDropsNonNative) {
    Fixture f;
    const SourceRef legacy = f.service.addSource({"Legacy", 7, false});
    f.manager->setSourceEnabled(7, true);
    f.manager->setOnlyUMPSources(true);
    f.receive({{0x20903C64}}, legacy);
    f.receive({{0x20903C64}});
    ASSERT_EQ(f.manager->messages().size(), 1u);
    EXPECT_EQ(f.manager->messages().front().sourceName(), "Keyboard");
    EXPECT_EQ(f.manager->messages().front().sequenceNumber, 0) << "the dropped list used none";
}

TEST(Receive, SourceNameSharedPerSource) {
    Fixture f;
    f.receive({{0x10FA0000}, {0x10FB0000}});
    f.receive({{0x10FC0000}});
    const auto& m = f.manager->messages();
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[0].sourceNameStorage.get(), m[2].sourceNameStorage.get());
}

TEST(Receive, RenamedSourceGetsNewName) {
    FakeMidiService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    const SourceRef a = service.addSource({"Before", 5, true});
    const SourceRef b = service.addSource({"After", 5, true});
    manager.setEnabledSourceIDs({5});
    EventList list;
    list.add({0x10FA0000});
    service.deliver(list, a);
    service.deliver(list, b);
    queue.drain();
    ASSERT_EQ(manager.messages().size(), 2u);
    EXPECT_EQ(manager.messages()[0].sourceName(), "Before");
    EXPECT_EQ(manager.messages()[1].sourceName(), "After");
}

// --- Event-list layout ----------------------------------------------------------------------

TEST(EventListLayout, WordCounts) {
    Words seventy(70);
    for (std::uint32_t i = 0; i < 70; ++i)
        seventy[i] = 0x10FA0000 | i;

    struct Case {
        const char* name;
        std::uint32_t declared;
        Words present;
        std::size_t expectedMessages;
        std::uint32_t lastWord = 0;
    };
    const Case cases[] = {
        {"zeroCountSkipped", 0, {0x10FA0000}, 0},
        {"seventyReadsSixtyFour", 70, seventy, 64, 0x10FA003F},
        {"countBeyondPresentReadsPresent", 64, {0x10FA0000, 0x10FB0000}, 2, 0x10FB0000},
        {"countBelowPresentReadsCount", 1, {0x10FA0000, 0x10FB0000}, 1},
        {"midi2CutShortByCount", 1, {0x40903C00, 0xFFFF0000}, 1},
    };
    for (const auto& c : cases) {
        Fixture f;
        EventList list;
        list.addDeclared(c.declared, c.present);
        f.service.deliver(list, f.keyboard);
        f.queue.drain();
        ASSERT_EQ(f.manager->messages().size(), c.expectedMessages) << c.name;
        if (c.lastWord != 0) {
            EXPECT_EQ(f.manager->messages().back().words[0], c.lastWord) << c.name;
        }
    }
}

TEST(EventListLayout, EmptyListPostsNothing) {
    Fixture f;
    f.service.deliver(EventList{}, f.keyboard);
    EXPECT_EQ(f.queue.pending(), 0u);
}

// --- Buffer ---------------------------------------------------------------------------------

TEST(Buffer, FiveHundredAndOneThenClear) {
    Fixture f;
    for (int i = 0; i < 501; ++i)
        f.receive({{0x10FA0000}});
    ASSERT_EQ(f.manager->messages().size(), 500u);
    EXPECT_EQ(f.manager->messages().front().sequenceNumber, 1);
    EXPECT_EQ(f.manager->messages().back().sequenceNumber, 500);
    EXPECT_TRUE(f.manager->isBufferFull());

    f.manager->clearMessages();
    EXPECT_TRUE(f.manager->messages().empty());
    EXPECT_FALSE(f.manager->isBufferFull());
    EXPECT_FALSE(f.manager->lastMessageDate().has_value());

    f.receive({{0x10FA0000}});
    EXPECT_EQ(f.numbers(), (std::vector<std::int64_t>{501}));
}

TEST(Buffer, OneBatchOverflowingKeepsNewest) {
    Fixture f;
    f.manager->setMaxMessages(3);
    f.receive({{0x10FA0000, 0x10FB0000, 0x10FC0000, 0x10F80000, 0x10FE0000}});
    EXPECT_EQ(f.numbers(), (std::vector<std::int64_t>{2, 3, 4}));
    EXPECT_TRUE(f.manager->isBufferFull());
}

TEST(Buffer, LoweringThenRaisingTheLimit) {
    Fixture f;
    f.manager->setMaxMessages(5000);
    for (int i = 0; i < 12; ++i) {
        std::vector<Words> packets(100, Words{0x10FA0000});
        f.receive(packets);
    }
    ASSERT_EQ(f.manager->messages().size(), 1200u);
    EXPECT_FALSE(f.manager->isBufferFull());

    f.manager->setMaxMessages(500);
    ASSERT_EQ(f.manager->messages().size(), 500u);
    EXPECT_EQ(f.manager->messages().front().sequenceNumber, 700);
    EXPECT_EQ(f.manager->messages().back().sequenceNumber, 1199);
    EXPECT_TRUE(f.manager->isBufferFull());

    f.manager->setMaxMessages(5000);
    EXPECT_TRUE(f.manager->isBufferFull()) << "raising the limit never clears the flag";
    EXPECT_EQ(f.manager->messages().size(), 500u);
}

TEST(Buffer, FilterChangesNeverRemoveMessages) {
    Fixture f;
    f.receive({{0x10F80000, 0x20903C64}});
    MessageTypeSet hidden;
    hidden.insert(T::midi1ChannelVoice);
    f.manager->setHiddenMessageTypes(hidden);
    f.manager->setHideMidiClock(true);
    f.manager->setSourceEnabled(keyboardID, false);
    EXPECT_EQ(f.manager->messages().size(), 2u);
}

TEST(Buffer, ObserversHearWhatChanged) {
    Fixture f;
    f.manager->setMaxMessages(1);
    std::vector<MIDIManagerProperty> heard;
    auto subscription =
        f.manager->observers().subscribe([&](MIDIManagerProperty p) { heard.push_back(p); });
    f.receive({{0x10FA0000, 0x10FB0000}});
    using P = MIDIManagerProperty;
    EXPECT_EQ(heard, (std::vector<P>{P::messages, P::isBufferFull, P::lastMessageDate}));
    heard.clear();
    f.manager->setHideMidiClock(true);
    EXPECT_EQ(heard, (std::vector<P>{P::hideMidiClock}));
    subscription.reset();
    f.manager->clearMessages();
    EXPECT_EQ(heard.size(), 1u) << "no calls after the subscription ended";
}

TEST(Buffer, ChangesNameWhatWasAppendedAndDroppedAndTheTimeOfTheLast) {
    const std::tuple<const char*, std::int64_t, void (*)(Fixture&), MessagesChange> cases[] = {
        {"appendWithinRoom",
         10,
         [](Fixture& f) {
             f.receive({{0x10FA0000}, {0x10FB0000}});
         },
         {2, 0, false}},
        {"appendOverflowing",
         4,
         [](Fixture& f) {
             f.receive({{0x10FA0000}, {0x10FB0000}});
         },
         {2, 1, false}},
        {"batchLargerThanTheLimit",
         1,
         [](Fixture& f) {
             f.receive({{0x10FA0000, 0x10FB0000, 0x10FC0000}});
         },
         {3, 3, false}},
        {"lowerTheLimit", 10, [](Fixture& f) { f.manager->setMaxMessages(1); }, {0, 2, false}},
        {"clear", 10, [](Fixture& f) { f.manager->clearMessages(); }, {0, 0, true}},
    };
    for (const auto& [name, limit, step, expected] : cases) {
        Fixture f;
        f.manager->setMaxMessages(limit);
        f.receive({{0x10F80000}, {0x10F80000}, {0x10F80000}});
        f.clock.advance(std::chrono::seconds(5));
        std::vector<MessagesChange> heard;
        auto subscription = f.manager->messageChanges().subscribe(
            [&](const MessagesChange& change) { heard.push_back(change); });
        step(f);
        EXPECT_EQ(heard, std::vector<MessagesChange>{expected}) << name;
        const bool appended = expected.appended > 0;
        EXPECT_EQ(f.manager->lastMessageMonotonic().has_value(), !expected.cleared) << name;
        if (appended) {
            EXPECT_EQ(f.manager->lastMessageMonotonic(), f.clock.monotonicNow()) << name;
        }
    }
}

// --- Hand-over and lifetime -------------------------------------------------------------------

TEST(HandOver, ManagerGoneBeforePostRuns) {
    Fixture f;
    f.receive({{0x10FA0000}});
    EventList list;
    list.add({0x10FB0000});
    f.service.deliver(list, f.keyboard);
    ASSERT_EQ(f.queue.pending(), 1u);
    f.manager.reset();
    EXPECT_FALSE(f.service.hasReceiver()) << "the receiver is removed with the manager";
    EXPECT_EQ(f.queue.drain(), 1u) << "the post runs and does nothing";
}

TEST(HandOver, FilterChangeAppliesToLaterLists) {
    Fixture f;
    EventList clock;
    clock.add({0x10F80000});
    f.service.deliver(clock, f.keyboard); // received before the change, still pending
    f.manager->setHideMidiClock(true);
    f.service.deliver(clock, f.keyboard);
    f.queue.drain();
    EXPECT_EQ(f.numbers(), (std::vector<std::int64_t>{0}));
}

} // namespace
} // namespace umbrascope
