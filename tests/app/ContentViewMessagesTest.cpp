#include <gtest/gtest.h>

#include <chrono>

#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using namespace testing_support;
using Numbers = std::vector<std::int64_t>;
using Step = void (*)(Window&);

// The visible rows kept only from the change notifications, as a list model keeps them.
struct Mirror {
    std::vector<VisibleChange> changes;
    Numbers rows;
    ObserverList<const VisibleChange&>::Subscription subscription;

    explicit Mirror(Window& w) : rows(w.visibleNumbers()) {
        subscription = w.view->visibleChanges().subscribe([this, &w](const VisibleChange& c) {
            changes.push_back(c);
            const Numbers now = w.visibleNumbers();
            if (c.reset) rows.clear();
            ASSERT_LE(c.removed, rows.size());
            ASSERT_LE(c.appended, now.size());
            rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(c.removed));
            rows.insert(rows.end(),
                        now.end() - static_cast<std::ptrdiff_t>(c.reset ? now.size() : c.appended),
                        now.end());
        });
    }
};

TEST(ContentViewVisible, FollowsEveryKindOfChangeAndItsNotificationsReplayExactly) {
    Window window;
    window.service.addSource({"Legacy", 2, false});
    window.view->midiManager().setSourceEnabled(2, true);
    window.view->midiManager().setMaxMessages(7);
    Mirror mirror(window);
    // Steps that only switch filters never change the buffer.
    const std::tuple<const char*, Step, bool> steps[] = {
        {"batch",
         [](Window& w) {
             w.receive({midi2NoteOn(60), timingClock});
         },
         false},
        {"legacyBatch",
         [](Window& w) {
             w.receive({midi1NoteOn, activeSensing}, SourceRef{2});
         },
         false},
        {"hideClock", [](Window& w) { w.key("c"); }, true},
        {"overflowing",
         [](Window& w) {
             w.receive({midi1NoteOn, timingClock, activeSensing, midi2NoteOn(62), midi1NoteOn});
         },
         false},
        {"onlyUMP", [](Window& w) { w.key("u"); }, true},
        {"hideMidi1", [](Window& w) { w.key("1"); }, true},
        {"batchLargerThanTheBuffer",
         [](Window& w) {
             std::vector<Words> many(9, midi2NoteOn(64));
             many[8] = midi1NoteOn;
             w.receive(many);
         },
         false},
        {"showAll", [](Window& w) { w.key("c"), w.key("u"), w.key("1"); }, true},
        {"lowerTheLimit", [](Window& w) { w.view->midiManager().setMaxMessages(3); }, false},
        {"clear", [](Window& w) { w.view->midiManager().clearMessages(); }, false},
        {"afterClear",
         [](Window& w) {
             w.receive({activeSensing, midi2NoteOn(65)});
         },
         false},
    };
    for (const auto& [name, step, filterOnly] : steps) {
        const std::size_t buffered = window.view->midiManager().messages().size();
        step(window);
        Numbers filtered;
        for (const MIDIMessage& m : window.view->midiManager().messages())
            if (!window.view->midiManager().messageFilter().hides(m))
                filtered.push_back(m.sequenceNumber);
        EXPECT_EQ(window.visibleNumbers(), filtered) << name;
        EXPECT_EQ(mirror.rows, filtered) << name;
        if (filterOnly) {
            EXPECT_EQ(window.view->midiManager().messages().size(), buffered) << name;
        }
    }
}

TEST(ContentViewVisible, ATrimNamesExactlyTheVisibleRowsItDropped) {
    // Six messages, every other one a hidden clock: visible 0, 2, 4.
    const std::tuple<const char*, Step, VisibleChange> cases[] = {
        {"dropsAShownAndAHidden",
         [](Window& w) {
             w.receive({midi2NoteOn(70), midi2NoteOn(71)});
         },
         {1, 2, false}},
        {"dropsOnlyAHidden",
         [](Window& w) {
             w.view->midiManager().setMaxMessages(5); // drops number 0
             w.receive({midi2NoteOn(70)});            // drops the clock, number 1
         },
         {0, 1, false}},
        {"lowerTheLimit",
         [](Window& w) { w.view->midiManager().setMaxMessages(2); },
         {2, 0, false}},
        {"clear", [](Window& w) { w.view->midiManager().clearMessages(); }, {0, 0, true}},
    };
    for (const auto& [name, step, expected] : cases) {
        Window w;
        w.view->midiManager().setMaxMessages(6);
        for (std::uint32_t note = 60; note < 63; ++note)
            w.receive({midi2NoteOn(note), timingClock});
        w.key("c");
        ASSERT_EQ(w.visibleNumbers(), (Numbers{0, 2, 4}));
        Mirror mirror(w);
        step(w);
        ASSERT_FALSE(mirror.changes.empty()) << name;
        EXPECT_EQ(mirror.changes.back(), expected) << name;
    }
}

TEST(ContentViewAnnounce, Scenarios) {
    const std::tuple<const char*, Step, Texts> cases[] = {
        {"threeInOneBatchSpeakTheLastAndWalkTheStatus",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60), midi2NoteOn(64), midi2NoteOn(67)});
         },
         {"G4"}},
        {"switchingOnAfterAHundredAnnouncesNoneOfThem",
         [](Window& w) {
             for (int i = 0; i < 100; ++i)
                 w.receive({midi2NoteOn(60)});
             w.key("t");
             w.report(SpeechReport::finished);
             w.receive({midi2NoteOn(62)});
         },
         {"TTS Short", "Note On D4"}},
        {"aLevelButtonAlsoMovesThePosition",
         [](Window& w) {
             w.receive({midi2NoteOn(60)});
             w.view->chooseTTSLevel(TTSLevel::verbose);
             w.queue.drain();
         },
         {"TTS Verbose"}},
        {"hidingAndShowingReannouncesNothing",
         [](Window& w) {
             w.speechOn();
             w.view->setLastInterrupts(true);
             w.receive({midi2NoteOn(62), midi1NoteOn});
             w.key("1"); // the newest visible message becomes an older one
             w.key("1");
         },
         {"Last Interrupts On", "C4", "MIDI 1.0 Channel Voice Off", "MIDI 1.0 Channel Voice On"}},
        {"busyWithoutLastInterruptsDropsForGood",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60)});
             w.report(SpeechReport::started);
             w.receive({midi2NoteOn(62)});
             w.receive({midi2NoteOn(64)});
             w.report(SpeechReport::finished);
         },
         {"Note On C4"}},
        {"busyWithLastInterruptsTheNewestCutsIn",
         [](Window& w) {
             w.speechOn();
             w.view->setLastInterrupts(true);
             w.receive({midi2NoteOn(60)});
             w.report(SpeechReport::started);
             w.receive({midi2NoteOn(62), midi2NoteOn(64)});
         },
         {"Last Interrupts On", "Note On C4", "E4"}},
    };
    for (const auto& [name, step, expected] : cases) {
        Window w;
        step(w);
        EXPECT_EQ(w.spoken(), expected) << name;
    }
}

TEST(ContentViewAnnounce, TicksSkipHiddenMessagesAndNeverRepeat) {
    Window w;
    w.view->setClickOnMessage(true);
    w.receive({midi2NoteOn(60), timingClock});
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), ClickPlayer::maxTokens - 2);
    w.key("c");
    w.key("c");
    w.key("2");
    w.receive({midi2NoteOn(62)}); // hidden
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), ClickPlayer::maxTokens - 2);
}

TEST(ContentViewAnnounce, ALevelChangeClearsTheRunningStatus) {
    Window w;
    w.speechOn();
    w.receive({midi2NoteOn(60)});
    ASSERT_EQ(w.view->runningVoiceStatus(), RunningVoiceStatus::noteOn);
    w.view->setTTSLevel(TTSLevel::verbose);
    EXPECT_FALSE(w.view->runningVoiceStatus().has_value());
}

TEST(ContentViewRecent, ReadsTheLastTenOfTheLastTenSecondsInShortWording) {
    const std::tuple<const char*, Step, const char*> cases[] = {
        {"onlyOld",
         [](Window& w) {
             w.receive({midi2NoteOn(60)});
             w.clock.advance(10001ms);
         },
         "No Recent Messages"},
        {"tenSecondsIsRecent",
         [](Window& w) {
             w.receive({midi2NoteOn(60)});
             w.clock.advance(10s);
         },
         "Note On C4"},
        {"twentyFiveReadsTheLastTen",
         [](Window& w) {
             for (std::uint32_t note = 48; note < 73; ++note)
                 w.receive({midi2NoteOn(note)});
         },
         "Note On D sharp 4, E4, F4, F sharp 4, G4, G sharp 4, A4, A sharp 4, B4, C5"},
        {"oldHiddenAndSilentLeftOut",
         [](Window& w) {
             w.receive({midi2NoteOn(48)});
             w.clock.advance(11s);
             w.receive({midi2NoteOn(60), timingClock, midi1NoteOn});
             w.key("1");
         },
         "Note On C4"},
        {"itsOwnStatusAtAnyLevel",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60)});
             w.receive({midi2NoteOn(62)}); // the window's status is now noteOn
         },
         "Note On C4, D4"},
    };
    for (const auto& [name, step, expected] : cases) {
        Window w;
        step(w);
        EXPECT_EQ(w.view->recentSummaryText(), expected) << name;
    }
}

TEST(ContentViewInspected, SurvivesTrimsOfOthersAndClosesWithItsMessage) {
    Window w;
    w.view->midiManager().setMaxMessages(3);
    w.receive({midi2NoteOn(60), midi2NoteOn(61), midi2NoteOn(62)});
    const Identifier id = w.view->midiManager().messages()[1].id;
    w.view->openBreakdown(w.view->midiManager().messages()[1]);
    w.receive({midi2NoteOn(63)}); // drops another
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage()->id, id);
    EXPECT_EQ(w.view->inspectedMessage()->sequenceNumber, 1);
    w.receive({midi2NoteOn(64)}); // drops its own
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);

    MIDIMessage stranger = w.view->midiManager().messages()[0];
    stranger.id = Identifier::make();
    w.view->openBreakdown(stranger);
    EXPECT_EQ(w.view->inspectedMessage(), nullptr) << "only a message of the buffer opens";
}

TEST(ContentViewScroll, BurstsScrollOnceAfterTheLastMessageAndIdleScrollsToo) {
    Window w;
    std::vector<std::pair<Duration, bool>> requests; // when, animated
    auto subscription = w.view->scrollRequests().subscribe([&](ScrollRequest r) {
        requests.emplace_back(w.clock.monotonicNow() - MonoTime{}, r.animated);
    });
    w.view->contentAppeared();
    EXPECT_TRUE(w.view->isWindowFocused());
    EXPECT_TRUE(w.view->isIdle()) << "no message yet";
    w.runFor(250ms);
    for (int i = 0; i < 3; ++i) {
        w.receive({midi2NoteOn(60)});
        EXPECT_FALSE(w.view->isIdle());
        w.runFor(30ms);
    }
    // The last message came at 0.31 s; ticks every 0.5 s; idle from the first tick 2 s after.
    w.runFor(2000ms);
    EXPECT_FALSE(w.view->isIdle());
    w.runFor(500ms);
    EXPECT_TRUE(w.view->isIdle());
    EXPECT_EQ(requests, (std::vector<std::pair<Duration, bool>>{
                            {0ms, false}, {390ms, true}, {2500ms, true}}));
}

TEST(ContentViewIdle, ClearMakesTheWindowIdleAtOnceAndNotFull) {
    Window w;
    w.receive(std::vector<Words>(501, midi2NoteOn(60)));
    ASSERT_TRUE(w.view->midiManager().isBufferFull());
    ASSERT_FALSE(w.view->isIdle());
    w.view->midiManager().clearMessages();
    EXPECT_TRUE(w.view->isIdle());
    EXPECT_FALSE(w.view->midiManager().isBufferFull());
}

} // namespace
} // namespace umbrascope
