#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <functional>

#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using namespace testing_support;
using Numbers = std::vector<std::int64_t>;
using Step = std::function<void(Window&)>;

Step receiving(std::vector<Words> packets, std::optional<SourceRef> source = {}) {
    return [=](Window& w) { w.receive(packets, source); };
}
Step pressing(std::string keys) {
    return [=](Window& w) {
        for (const char key : keys)
            w.key(std::string(1, key));
    };
}
// What a key can change: the level, what is on, and rate and volume once they moved.
std::string state(Window& w) {
    const MIDIManager& m = w.view->midiManager();
    const std::pair<bool, const char*> flags[] = {
        {m.onlyUMPSources(), "onlyUMP"},          {m.midi1ProtocolOnly(), "midi1Only"},
        {m.hideActiveSensing(), "noSensing"},     {m.hideMidiClock(), "noClock"},
        {w.view->clickOnMessage(), "ticks"},      {w.view->lastInterrupts(), "lastInterrupts"},
        {w.view->showDeviceSettings(), "devices"}};
    std::string text(rawValue(w.view->ttsLevel()));
    for (const auto& [on, name] : flags)
        if (on) text.append(" ").append(name);
    for (std::size_t i = 0; i < legendOrder.size(); ++i)
        if (m.hiddenMessageTypes().contains(legendOrder[i]))
            text += " hide" + std::to_string(i + 1);
    const auto& speech = w.view->speechAnnouncer();
    if (speech.rate() != 0.5f || speech.volume() != 1.0f)
        text += " rate=" + std::to_string(speech.rate()).substr(0, 4) +
                " volume=" + std::to_string(speech.volume()).substr(0, 4);
    return text;
}

TEST(ContentViewKeys, EachKeyActsAndSpeaksAlikeInEitherCase) {
    const struct {
        const char* keys; // one press each; + and - are the up and down arrows
        TTSLevel level;
        Texts spoken;
        const char* state;
    } rows[] = {
        // The third press speaks although speech is now off.
        {"ttt", TTSLevel::off, {"TTS Short", "TTS Verbose", "TTS Off"}, "TTS Off"},
        {"ss", TTSLevel::short_, {"Active Sensing Off", "Active Sensing On"}, "TTS Short"},
        {"c", TTSLevel::short_, {"MIDI Clock Off"}, "TTS Short noClock"},
        {"u", TTSLevel::short_, {"Only U. M. Pea-Native Connections On"}, "TTS Short onlyUMP"},
        {"l", TTSLevel::short_, {"MIDI 1 point 0 Protocol Only On"}, "TTS Short midi1Only"},
        {"kk", TTSLevel::short_, {"Tick on Message On", "Tick on Message Off"}, "TTS Short"},
        {"i", TTSLevel::short_, {"Last Interrupts On"}, "TTS Short lastInterrupts"},
        {"55",
         TTSLevel::short_,
         {"SysEx (8-bit) / Mixed Data Off", "SysEx (8-bit) / Mixed Data On"},
         "TTS Short"},
        {"8", TTSLevel::verbose, {"U. M. Pea Stream Off"}, "TTS Verbose hide8"},
        {"d", TTSLevel::short_, {"Devices"}, "TTS Short devices"},
        {"e", TTSLevel::short_, {"No Messages To Export"}, "TTS Short"}, // and no dialog
        {"m", TTSLevel::short_, {}, "TTS Short"},                        // nothing to read
        {"sculki3de",
         TTSLevel::off,
         {},
         "TTS Off onlyUMP midi1Only noSensing noClock ticks lastInterrupts devices hide3"},
        // Rate and volume speak at any level.
        {"[[]+-",
         TTSLevel::off,
         {"Speech Rate Slower", "Speech Rate Slower", "Speech Rate Faster", "TTS Volume Up",
          "TTS Volume Down"},
         "TTS Off rate=0.45 volume=0.90"},
    };
    for (const auto& row : rows)
        for (const bool upper : {false, true}) {
            SCOPED_TRACE(std::string(row.keys) + (upper ? " in upper case" : ""));
            Window w;
            w.speechOn(row.level);
            for (const char key : std::string_view(row.keys)) {
                const char typed = upper ? static_cast<char>(std::toupper(key)) : key;
                EXPECT_EQ(key == '+' || key == '-'
                              ? w.view->handleKey(key == '+' ? ArrowKey::up : ArrowKey::down)
                              : w.key(std::string(1, typed)),
                          KeyResult::handled);
            }
            w.queue.drain();
            EXPECT_EQ(w.spoken(), row.spoken);
            EXPECT_EQ(state(w), row.state);
        }

    Window w;
    for (const std::string_view key : {"9", "0", "x", "", "kk"})
        EXPECT_EQ(w.key(key), KeyResult::ignored) << key;
    EXPECT_TRUE(w.log->calls.empty());
    EXPECT_EQ(state(w), "TTS Off");
}

// Beside a screen reader: a key's answer goes first, a reading gives way to the screen reader's
// speech, and a sheet's heading does not hold back the screen reader's own reading of the sheet.
TEST(ContentViewKeys, EachAnswerIsOfTheKindThatLetsAScreenReaderThrough) {
    const struct {
        const char* key;
        UtteranceKind kind;
    } rows[] = {
        {"t", UtteranceKind::confirmation},
        {"d", UtteranceKind::heading},
        {"g", UtteranceKind::reading},
    };
    for (const auto& row : rows) {
        Window w;
        w.speechOn();
        w.key(row.key);
        EXPECT_EQ(w.log->lastSpoken().kind, row.kind) << row.key;
    }
}

TEST(ContentViewReading, EachReaderStopsSpeechElseReadsInItsVoice) {
    const std::string sheetHint = "To stop this reading, click Stop Reading, or close this window.";
    const struct {
        const char* name;
        Step read; // done twice: while something else is said, then in silence
        std::string startsWith;
        std::optional<std::string> voice;
    } rows[] = {
        {"g", pressing("G"), "To stop this reading, press G again. Umbrascope shows", {}},
        // The newest visible message, with the hint of the open sheet.
        {"m", pressing("m"),
         sheetHint + " Arrived 0.000 seconds after the start. Fields are, 4 bits, Message Type: "
                     "4, MIDI 2.0 Channel Voice",
         "voice-keys"},
        {"r", pressing("R"), "Note On C4, C4", {}},
        {"breakdownButton", // the sheet's message, not the newest
         [](Window& w) { w.view->toggleBreakdownReading(); },
         sheetHint + " Arrived 0.000 seconds after the start. Fields are, 4 bits, Message Type: "
                     "2, MIDI 1.0 Channel Voice",
         "voice-keys"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Window w;
        w.log->voices = {{"voice-keys", "Keys Voice", "en"}};
        w.view->speechAnnouncer().setVoiceForSource(Window::keysID, "voice-keys");
        w.receive({midi1NoteOn});
        w.receive({midi2NoteOn(60)});
        w.receive({timingClock});
        w.key("c"); // the clock is the newest message, but hidden
        w.view->openBreakdown(w.view->midiManager().messages().front());
        w.view->speechAnnouncer().speakNow("something long");
        w.queue.drain();
        w.report(SpeechReport::started);
        w.log->calls.clear();
        row.read(w);
        w.queue.drain();
        ASSERT_EQ(w.log->calls.size(), 1u);
        EXPECT_EQ(w.log->calls[0].kind, FakeSpeechSynthesizer::Call::Kind::stop);
        row.read(w);
        w.queue.drain();
        ASSERT_EQ(w.spoken().size(), 1u);
        EXPECT_TRUE(w.spoken()[0].starts_with(row.startsWith)) << w.spoken()[0];
        EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, row.voice);
    }
}

// With narration on an announcement is nearly always under way; the keys must still read.
TEST(ContentViewReading, WithNarrationOnAKeyCutsAnAnnouncementAndStopsOnlyAReading) {
    const std::pair<const char*, const char*> rows[] = {
        {"g", "To stop this reading, press G again. Umbrascope"},
        {"m", "To stop this reading, press M again. Arrived 0.000 seconds after the start. Fields"},
        {"r", "Note On C4"},
    };
    for (const auto& [key, reading] : rows) {
        SCOPED_TRACE(key);
        Window w;
        w.speechOn();
        w.receive({midi2NoteOn(60)});
        w.report(SpeechReport::started);
        ASSERT_EQ(w.spoken(), Texts{"Note On C4"});
        w.log->calls.clear();
        w.key(key);
        ASSERT_EQ(w.spoken().size(), 1u) << "read at once";
        EXPECT_TRUE(w.spoken()[0].starts_with(reading)) << w.spoken()[0];
        // Handed over, not yet started: under way all the same.
        w.log->calls.clear();
        w.key(key);
        EXPECT_TRUE(w.spoken().empty());
        EXPECT_EQ(w.stops(), 1u);
        EXPECT_FALSE(w.view->speechAnnouncer().busy());
    }
}

TEST(ContentViewSheets, TheGuideAndTheBreakdownStopSpeechWhenTheyCloseOrAreReplaced) {
    const struct {
        const char* name;
        Step open;
        Step close;
        bool stops;
    } rows[] = {
        {"guideClosed", [](Window& w) { w.view->openUserGuide(); },
         [](Window& w) { w.view->closeSheet(Sheet::userGuide); }, true},
        {"breakdownClosed",
         [](Window& w) { w.view->openBreakdown(w.view->midiManager().messages()[0]); },
         [](Window& w) { w.view->closeSheet(Sheet::breakdown); }, true},
        {"guideReplaced", [](Window& w) { w.view->openUserGuide(); }, pressing("d"), true},
        {"devicesClosed", pressing("d"),
         [](Window& w) { w.view->closeSheet(Sheet::deviceSettings); }, false},
        {"anotherSheetNamed", [](Window& w) { w.view->openUserGuide(); },
         [](Window& w) { w.view->closeSheet(Sheet::breakdown); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Window w;
        w.receive({midi1NoteOn});
        row.open(w);
        w.view->speechAnnouncer().speakNow("something long");
        w.queue.drain();
        row.close(w);
        w.queue.drain();
        EXPECT_EQ(w.view->speechAnnouncer().busy(), !row.stops);
    }
}

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

// Filters and a clear reset the list; arrivals and trims only remove and append.
TEST(ContentViewVisible, FollowsEveryKindOfChangeAndItsNotificationsReplayExactly) {
    Window window;
    window.service.addSource({"Legacy", 2, false});
    window.view->midiManager().setSourceEnabled(2, true);
    window.view->midiManager().setMaxMessages(7);
    Mirror mirror(window);
    std::vector<Words> nine(9, midi2NoteOn(64));
    nine[8] = midi1NoteOn;
    const std::tuple<const char*, Step, bool> steps[] = {
        {"batch", receiving({midi2NoteOn(60), timingClock}), false},
        {"legacyBatch", receiving({midi1NoteOn, activeSensing}, SourceRef{2}), false},
        {"hideClock", pressing("c"), true},
        {"overflowing",
         receiving({midi1NoteOn, timingClock, activeSensing, midi2NoteOn(62), midi1NoteOn}), false},
        {"onlyUMP", pressing("u"), true},
        {"hideMidi1", pressing("1"), true},
        {"batchLargerThanTheBuffer", receiving(nine), false},
        {"showAll", pressing("cu1"), true},
        {"lowerTheLimit", [](Window& w) { w.view->midiManager().setMaxMessages(3); }, false},
        {"clear", [](Window& w) { w.view->midiManager().clearMessages(); }, true},
        {"afterClear", receiving({activeSensing, midi2NoteOn(65)}), false},
    };
    for (const auto& [name, step, resets] : steps) {
        SCOPED_TRACE(name);
        const MIDIManager& manager = window.view->midiManager();
        const std::size_t before = mirror.changes.size();
        step(window);
        Numbers filtered;
        for (const MIDIMessage& m : manager.messages())
            if (!manager.messageFilter().hides(m)) filtered.push_back(m.sequenceNumber);
        EXPECT_EQ(window.visibleNumbers(), filtered);
        EXPECT_EQ(mirror.rows, filtered);
        ASSERT_GT(mirror.changes.size(), before);
        for (std::size_t i = before; i < mirror.changes.size(); ++i)
            EXPECT_EQ(mirror.changes[i].reset, resets);
    }
}

TEST(ContentViewAnnounce, Scenarios) {
    const std::tuple<const char*, Step, Texts> cases[] = {
        // A level change forgets the running status and passes over what came meanwhile.
        {"levelChanges",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60)});
             pressing("tt")(w);
             for (int i = 0; i < 100; ++i)
                 w.receive({midi2NoteOn(60)});
             pressing("t")(w);
             w.report(SpeechReport::finished);
             w.receive({midi2NoteOn(62)});
         },
         {"Note On C4", "TTS Verbose", "TTS Off", "TTS Short", "Note On D4"}},
        {"hidingAndShowingReannouncesNothing",
         [](Window& w) {
             w.speechOn();
             w.view->setLastInterrupts(true);
             w.report(SpeechReport::finished);
             w.receive({midi2NoteOn(62), midi1NoteOn});
             pressing("11")(w); // the newest visible message becomes an older one and back
         },
         {"Last Interrupts On", "C4", "MIDI 1.0 Channel Voice Off", "MIDI 1.0 Channel Voice On"}},
        // What comes while busy is dropped for good; with Last Interrupts the newest cuts in,
        // but not into a key's confirmation. Of a batch the last is said, the others walk the
        // status.
        {"busy",
         [](Window& w) {
             w.speechOn();
             w.receive({midi2NoteOn(60)});
             w.report(SpeechReport::started);
             w.receive({midi2NoteOn(62)});
             w.view->setLastInterrupts(true);
             w.report(SpeechReport::started);
             w.receive({midi2NoteOn(64)});
             w.report(SpeechReport::finished);
             w.receive({midi2NoteOn(65), midi2NoteOn(67)});
             w.report(SpeechReport::started);
             w.receive({midi2NoteOn(69)});
         },
         {"Note On C4", "Last Interrupts On", "G4", "A4"}},
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
    pressing("cc2")(w);
    w.receive({midi2NoteOn(62)}); // hidden
    EXPECT_DOUBLE_EQ(w.view->clickPlayer().tokens(), ClickPlayer::maxTokens - 2);
}

TEST(ContentViewRecent, ReadsTheLastTenOfTheLastTenSecondsInShortWording) {
    const std::tuple<const char*, Step, const char*> cases[] = {
        {"nothing", [](Window&) {}, "No Recent Messages"},
        {"oldHiddenAndSilentLeftOut",
         [](Window& w) {
             w.receive({midi2NoteOn(48)});
             w.clock.advance(1ms);
             w.receive({midi2NoteOn(60), timingClock, midi1NoteOn});
             w.key("1");
             w.clock.advance(10s); // the first is now just too old
         },
         "Note On C4"},
        {"twentyFiveReadsTheLastTen",
         [](Window& w) {
             for (std::uint32_t note = 48; note < 73; ++note)
                 w.receive({midi2NoteOn(note)});
         },
         "Note On D sharp 4, E4, F4, F sharp 4, G4, G sharp 4, A4, A sharp 4, B4, C5"},
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

    w.receive({midi2NoteOn(60)});
    ASSERT_FALSE(w.view->isIdle());
    w.view->midiManager().clearMessages();
    EXPECT_TRUE(w.view->isIdle()) << "a clear makes the window idle at once";
}

} // namespace
} // namespace umbrascope
