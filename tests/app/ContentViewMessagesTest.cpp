#include <gtest/gtest.h>

#include <chrono>

#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::activeSensing;
using testing_support::midi1NoteOn;
using testing_support::midi2NoteOn;
using testing_support::timingClock;
using testing_support::Window;
using testing_support::Words;
using Numbers = std::vector<std::int64_t>;
using Texts = std::vector<std::string>;

// --- The visible list -----------------------------------------------------------------------

// Keeps a copy of the visible list's numbers only from the change notifications, as a list
// model keeps its rows.
struct Mirror {
    Numbers rows;
    std::vector<VisibleChange> changes;
    ObserverList<const VisibleChange&>::Subscription subscription;

    explicit Mirror(Window& w) : rows(w.visibleNumbers()) {
        subscription = w.view->visibleChanges().subscribe([this, &w](const VisibleChange& c) {
            changes.push_back(c);
            const Numbers now = w.visibleNumbers();
            if (c.reset) {
                rows = now;
                return;
            }
            ASSERT_LE(c.removed, rows.size());
            rows.erase(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(c.removed));
            ASSERT_LE(c.appended, now.size());
            rows.insert(rows.end(), now.end() - static_cast<std::ptrdiff_t>(c.appended), now.end());
        });
    }
};

Numbers filtered(Window& w) {
    Numbers numbers;
    for (const MIDIMessage& m : w.view->midiManager().messages())
        if (!w.view->midiManager().messageFilter().hides(m)) numbers.push_back(m.sequenceNumber);
    return numbers;
}

TEST(ContentViewVisible, FollowsEveryKindOfChangeAndItsNotificationsReplayExactly) {
    Window window;
    const SourceRef legacy = window.service.addSource({"Legacy", 2, false});
    window.view->midiManager().setSourceEnabled(2, true);
    window.view->midiManager().setMaxMessages(7);
    Mirror mirror(window);

    struct Step {
        const char* name;
        void (*run)(Window&, SourceRef);
    };
    const Step steps[] = {
        {"batch",
         [](Window& w, SourceRef) {
             w.receive({midi2NoteOn(60), timingClock});
         }},
        {"legacyBatch",
         [](Window& w, SourceRef s) {
             w.receive({midi1NoteOn, activeSensing}, s);
         }},
        {"hideClock", [](Window& w, SourceRef) { w.key("c"); }},
        {"overflowing",
         [](Window& w, SourceRef) {
             w.receive({midi1NoteOn, timingClock, activeSensing, midi2NoteOn(62), midi1NoteOn});
         }},
        {"onlyUMP", [](Window& w, SourceRef) { w.key("u"); }},
        {"hideMidi1", [](Window& w, SourceRef) { w.key("1"); }},
        {"batchLargerThanTheBuffer",
         [](Window& w, SourceRef) {
             std::vector<Words> many(9, midi2NoteOn(64));
             many[8] = midi1NoteOn;
             w.receive(many);
         }},
        {"showAll", [](Window& w, SourceRef) { w.key("c"), w.key("u"), w.key("1"); }},
        {"lowerTheLimit", [](Window& w, SourceRef) { w.view->midiManager().setMaxMessages(3); }},
        {"clear", [](Window& w, SourceRef) { w.view->midiManager().clearMessages(); }},
        {"afterClear",
         [](Window& w, SourceRef) {
             w.receive({activeSensing, midi2NoteOn(65)});
         }},
    };
    for (const auto& step : steps) {
        step.run(window, legacy);
        EXPECT_EQ(window.visibleNumbers(), filtered(window)) << step.name;
        EXPECT_EQ(mirror.rows, window.visibleNumbers()) << step.name;
    }
}

TEST(ContentViewVisible, ATrimNamesExactlyTheVisibleRowsItDropped) {
    struct Case {
        const char* name;
        void (*run)(Window&);
        VisibleChange expected;
    };
    // Six messages, every other one a hidden clock: visible 0, 2, 4.
    const Case cases[] = {
        {"appendDropsAShownAndAHidden",
         [](Window& w) {
             w.receive({midi2NoteOn(70), midi2NoteOn(71)});
         },
         {1, 2, false}},
        {"appendDropsOnlyAHidden",
         [](Window& w) {
             w.view->midiManager().setMaxMessages(5); // drops number 0
             w.receive({midi2NoteOn(70)});            // drops the clock, number 1
         },
         {0, 1, false}},
        {"lowerTheLimit",
         [](Window& w) { w.view->midiManager().setMaxMessages(2); },
         {2, 0, false}},
        {"appendDropsTwoShown",
         [](Window& w) {
             w.receive({midi2NoteOn(70), midi2NoteOn(71), midi2NoteOn(72), midi2NoteOn(73)});
         },
         {2, 4, false}},
        {"clear", [](Window& w) { w.view->midiManager().clearMessages(); }, {0, 0, true}},
    };
    for (const auto& c : cases) {
        Window w;
        w.view->midiManager().setMaxMessages(6);
        w.receiveEach({midi2NoteOn(60), timingClock, midi2NoteOn(61), timingClock, midi2NoteOn(62),
                       timingClock});
        w.view->midiManager().setHideMidiClock(true);
        ASSERT_EQ(w.visibleNumbers(), (Numbers{0, 2, 4}));
        Mirror mirror(w);
        c.run(w);
        ASSERT_FALSE(mirror.changes.empty()) << c.name;
        EXPECT_EQ(mirror.changes.back(), c.expected) << c.name;
    }
}

TEST(ContentViewVisible, AFilterHidesWhatIsBufferedAndShowsItAgain) {
    Window w;
    w.receiveEach({midi2NoteOn(60), timingClock, midi2NoteOn(62)});
    w.key("c");
    EXPECT_EQ(w.visibleNumbers(), (Numbers{0, 2}));
    EXPECT_EQ(w.view->midiManager().messages().size(), 3u) << "the count is the whole buffer";
    w.key("c");
    EXPECT_EQ(w.visibleNumbers(), (Numbers{0, 1, 2}));
}

// --- Announcing -------------------------------------------------------------------------------

TEST(ContentViewAnnounce, Scenarios) {
    struct Case {
        const char* name;
        void (*run)(Window&);
        Texts expected;
    };
    const Case cases[] = {
        {"firstMessageAfterLaunch",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60)});
         },
         {"Note On C4"}},
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
        {"aLevelButtonAlsoResetsThePosition",
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
             w.key("c");
             w.key("c");
         },
         {"Last Interrupts On", "C4", "MIDI 1.0 Channel Voice Off", "MIDI 1.0 Channel Voice On",
          "MIDI Clock Off", "MIDI Clock On"}},
        {"busyWithoutLastInterruptsDropsForGood",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60)});
             w.report(SpeechReport::started);
             w.receive({midi2NoteOn(62)});
             w.receive({midi2NoteOn(64)});
             w.report(SpeechReport::finished);
             w.queue.drain();
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
    for (const auto& c : cases) {
        Window w;
        c.run(w);
        EXPECT_EQ(w.spoken(), c.expected) << c.name;
    }
}

TEST(ContentViewAnnounce, HiddenMessagesAreNeitherClickedNorReclickedWhenShown) {
    Window w;
    w.view->setClickOnMessage(true);
    w.receive({midi2NoteOn(60), timingClock});
    const double tokensAfterTwo = w.view->clickPlayer().tokens();
    EXPECT_DOUBLE_EQ(tokensAfterTwo, ClickPlayer::maxTokens - 2);
    w.key("c");
    w.receive({timingClock});
    w.key("c");
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), tokensAfterTwo);
}

TEST(ContentViewAnnounce, SpeaksInTheVoiceOfTheMessagesSource) {
    Window w;
    const SourceRef other = w.service.addSource({"Other", 2, true});
    w.view->midiManager().setSourceEnabled(2, true);
    w.log->voices = {{"voice-keys", "Keys Voice", "en"}};
    w.view->speechAnnouncer().setVoiceForSource(Window::keysID, "voice-keys");
    w.view->setLastInterrupts(true);
    w.speechOn();
    w.receive({midi2NoteOn(60)});
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, "voice-keys");
    w.receive({midi2NoteOn(62)}, other);
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::nullopt);
}

TEST(ContentViewAnnounce, ALevelChangeFromAnySourceClearsTheRunningStatus) {
    Window w;
    w.speechOn();
    w.receive({midi2NoteOn(60)});
    ASSERT_EQ(w.view->runningVoiceStatus(), RunningVoiceStatus::noteOn);
    w.view->setTTSLevel(TTSLevel::verbose);
    EXPECT_FALSE(w.view->runningVoiceStatus().has_value());
}

// --- Catch-up -------------------------------------------------------------------------------

TEST(ContentViewRecent, ReadsTheLastTenOfTheLastTenSecondsInShortWording) {
    struct Case {
        const char* name;
        void (*run)(Window&);
        const char* expected;
    };
    const Case cases[] = {
        {"none", [](Window&) {}, "No Recent Messages"},
        {"onlyOld",
         [](Window& w) {
             w.receive({midi2NoteOn(60)});
             w.clock.advance(10001ms);
         },
         "No Recent Messages"},
        {"exactlyTenSecondsIsRecent",
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
             w.receiveEach({midi2NoteOn(60), timingClock, midi1NoteOn});
             w.key("1");
         },
         "Note On C4"},
        {"ownStatusAtAnyLevel",
         [](Window& w) {
             w.speechOn(TTSLevel::verbose);
             w.receiveEach({midi2NoteOn(60), midi2NoteOn(62)});
             w.view->setTTSLevel(TTSLevel::off);
         },
         "Note On C4, D4"},
    };
    for (const auto& c : cases) {
        Window w;
        c.run(w);
        EXPECT_EQ(w.view->recentSummaryText(), c.expected) << c.name;
    }
}

// --- Inspected message ----------------------------------------------------------------------

TEST(ContentViewInspected, SurvivesTrimsOfOthersAndClosesWithItsMessage) {
    Window w;
    w.view->midiManager().setMaxMessages(3);
    w.receiveEach({midi2NoteOn(60), midi2NoteOn(61), midi2NoteOn(62)});
    const MIDIMessage& second = w.view->midiManager().messages()[1];
    const Identifier id = second.id;
    w.view->openBreakdown(second);
    int notified = 0;
    auto subscription = w.view->observers().subscribe([&](ContentViewProperty p) {
        if (p == ContentViewProperty::inspectedMessage) ++notified;
    });

    w.receive({midi2NoteOn(63)}); // drops the first
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage()->id, id);
    EXPECT_EQ(w.view->inspectedMessage()->sequenceNumber, 1);
    EXPECT_EQ(notified, 0);

    w.receive({midi2NoteOn(64)}); // drops its own
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(notified, 1);

    MIDIMessage stranger = w.view->midiManager().messages()[0];
    stranger.id = Identifier::make();
    w.view->openBreakdown(stranger);
    EXPECT_EQ(w.view->inspectedMessage(), nullptr) << "only a message of the buffer opens";
    w.view->openBreakdown(w.view->midiManager().messages()[0]);
    w.view->midiManager().clearMessages();
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
}

// --- Scrolling and idle ---------------------------------------------------------------------

struct ScrollLog {
    std::vector<std::pair<Duration, bool>> requests; // when, animated
    ObserverList<ScrollRequest>::Subscription subscription;

    explicit ScrollLog(Window& w) {
        const MonoTime start = w.clock.monotonicNow();
        subscription = w.view->scrollRequests().subscribe([this, &w, start](ScrollRequest r) {
            requests.emplace_back(w.clock.monotonicNow() - start, r.animated);
        });
    }
};

TEST(ContentViewScroll, ABurstScrollsOnceAfterItsLastMessage) {
    Window w;
    w.runFor(600ms); // off the idle timer's ticks
    ScrollLog log(w);
    for (int i = 0; i < 3; ++i) {
        w.receive({midi2NoteOn(60)});
        w.runFor(30ms);
    }
    w.runFor(200ms);
    ASSERT_EQ(log.requests.size(), 1u);
    EXPECT_EQ(log.requests[0], std::make_pair(Duration(140ms), true));
}

TEST(ContentViewScroll, AppearingScrollsAtOnceWithoutAnimation) {
    Window w;
    ScrollLog log(w);
    w.view->contentAppeared();
    EXPECT_TRUE(w.view->isWindowFocused());
    ASSERT_EQ(log.requests.size(), 1u);
    EXPECT_EQ(log.requests[0], std::make_pair(Duration(0ms), false));
}

TEST(ContentViewIdle, TurnsIdleAtTheFirstTickTwoSecondsAfterTheLastMessage) {
    Window w;
    EXPECT_TRUE(w.view->isIdle()) << "no message yet";
    w.runFor(250ms);
    w.receive({midi2NoteOn(60)});
    EXPECT_FALSE(w.view->isIdle());
    ScrollLog log(w);
    w.runFor(2000ms); // ticks at 0.5 to 2.0 s: the last is 1.75 s after the message
    EXPECT_FALSE(w.view->isIdle());
    w.runFor(250ms); // the tick at 2.5 s
    EXPECT_TRUE(w.view->isIdle());
    EXPECT_EQ(log.requests.back(), std::make_pair(Duration(2250ms), true))
        << "becoming idle scrolls, animated";
}

TEST(ContentViewIdle, ClearMakesTheWindowIdleAtOnceAndNotFull) {
    Window w;
    std::vector<Words> many(501, midi2NoteOn(60));
    w.receive(many);
    ASSERT_TRUE(w.view->midiManager().isBufferFull());
    ASSERT_FALSE(w.view->isIdle());
    w.view->midiManager().clearMessages();
    EXPECT_TRUE(w.view->isIdle());
    EXPECT_FALSE(w.view->midiManager().isBufferFull());
    EXPECT_TRUE(w.visibleNumbers().empty());
}

} // namespace
} // namespace umbrascope
