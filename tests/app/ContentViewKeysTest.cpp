#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using testing_support::midi1NoteOn;
using testing_support::midi2NoteOn;
using testing_support::timingClock;
using testing_support::Window;
using Texts = std::vector<std::string>;
using Kind = testing_support::FakeSpeechSynthesizer::Call::Kind;

TEST(ContentViewKeys, TCyclesTheLevelAndAlwaysSpeaksIt) {
    Window w;
    Texts levels;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(w.key("t"), KeyResult::handled);
        levels.emplace_back(rawValue(w.view->ttsLevel()));
    }
    EXPECT_EQ(levels, (Texts{"TTS Short", "TTS Verbose", "TTS Off"}));
    EXPECT_EQ(w.spoken(), levels) << "the third press speaks although speech is now off";
}

TEST(ContentViewKeys, OnlyTheAcceptedKeysAreTaken) {
    struct Case {
        const char* name;
        std::string_view characters;
        KeyResult expected;
    };
    const Case cases[] = {
        {"nine", "9", KeyResult::ignored},           {"zero", "0", KeyResult::ignored},
        {"otherLetter", "x", KeyResult::ignored},    {"empty", "", KeyResult::ignored},
        {"twoCharacters", "kk", KeyResult::ignored}, {"upperK", "K", KeyResult::handled},
        {"bracket", "]", KeyResult::handled},
    };
    for (const auto& c : cases) {
        Window w;
        EXPECT_EQ(w.key(c.characters), c.expected) << c.name;
        if (c.expected == KeyResult::ignored) {
            EXPECT_TRUE(w.log->calls.empty()) << c.name;
            EXPECT_TRUE(w.view->midiManager().hiddenMessageTypes().empty()) << c.name;
        }
    }
}

// Everything a key can change, to compare two windows.
std::string snapshot(Window& w) {
    const auto& m = w.view->midiManager();
    std::ostringstream out;
    out << m.onlyUMPSources() << m.midi1ProtocolOnly() << m.hideActiveSensing() << m.hideMidiClock()
        << m.hiddenMessageTypes().mask() << w.view->clickOnMessage() << w.view->lastInterrupts()
        << static_cast<int>(w.view->ttsLevel()) << w.view->showDeviceSettings() << w.asks.size()
        << ' ' << w.view->speechAnnouncer().rate();
    for (const auto& text : w.spoken())
        out << '|' << text;
    return out.str();
}

TEST(ContentViewKeys, AnUpperCaseLetterActsAsItsLowerCase) {
    for (const char lower : std::string_view("usctgmkrdeil")) {
        const char upper = static_cast<char>(lower - 'a' + 'A');
        Window a, b;
        for (Window* w : {&a, &b}) {
            w->speechOn();
            w->receive({midi2NoteOn(60)});
            w->forgetSpeech();
        }
        EXPECT_EQ(a.key(std::string(1, lower)), KeyResult::handled) << lower;
        EXPECT_EQ(b.key(std::string(1, upper)), KeyResult::handled) << upper;
        EXPECT_EQ(snapshot(a), snapshot(b)) << lower;
        EXPECT_FALSE(a.spoken().empty()) << lower;
    }
}

TEST(ContentViewKeys, DigitsToggleTheirTypeAndSpeakOnlyWithSpeechOn) {
    struct Case {
        const char* name;
        TTSLevel level;
        std::string_view key;
        Texts expected;
    };
    const Case cases[] = {
        {"dataWithSpeech",
         TTSLevel::short_,
         "5",
         {"SysEx (8-bit) / Mixed Data Off", "SysEx (8-bit) / Mixed Data On"}},
        {"dataSilent", TTSLevel::off, "5", {}},
        {"streamSpellsUMP",
         TTSLevel::verbose,
         "8",
         {"U. M. Pea Stream Off", "U. M. Pea Stream On"}},
        {"midi1",
         TTSLevel::short_,
         "1",
         {"MIDI 1.0 Channel Voice Off", "MIDI 1.0 Channel Voice On"}},
    };
    for (const auto& c : cases) {
        Window w;
        w.speechOn(c.level);
        w.key(c.key);
        const auto type = legendOrder[static_cast<std::size_t>(c.key[0] - '1')];
        EXPECT_TRUE(w.view->midiManager().hiddenMessageTypes().contains(type)) << c.name;
        w.key(c.key);
        EXPECT_TRUE(w.view->midiManager().hiddenMessageTypes().empty()) << c.name;
        EXPECT_EQ(w.spoken(), c.expected) << c.name;
    }
}

TEST(ContentViewKeys, EverySettingChangeIsAnnouncedWhoeverMakesIt) {
    struct Case {
        const char* name;
        void (*change)(Window&);
        Texts expected;
    };
    const Case cases[] = {
        {"sTwice",
         [](Window& w) { w.key("s"), w.key("s"); },
         {"Active Sensing Off", "Active Sensing On"}},
        {"c", [](Window& w) { w.key("c"); }, {"MIDI Clock Off"}},
        {"u", [](Window& w) { w.key("u"); }, {"Only U. M. Pea-Native Connections On"}},
        {"l", [](Window& w) { w.key("l"); }, {"MIDI 1 point 0 Protocol Only On"}},
        {"kTwice",
         [](Window& w) { w.key("k"), w.key("k"); },
         {"Tick on Message On", "Tick on Message Off"}},
        {"i", [](Window& w) { w.key("i"); }, {"Last Interrupts On"}},
        {"clockSwitch",
         [](Window& w) { w.view->midiManager().setHideMidiClock(true); },
         {"MIDI Clock Off"}},
        {"legendCheckbox",
         [](Window& w) {
             MessageTypeSet hidden;
             hidden.insert(UMPMessageType::flexData);
             w.view->midiManager().setHiddenMessageTypes(hidden);
         },
         {"Flex Data Off"}},
        {"tickCheckbox",
         [](Window& w) { w.view->setClickOnMessage(true); },
         {"Tick on Message On"}},
        {"sameValueAgain",
         [](Window& w) {
             w.view->midiManager().setHideActiveSensing(true);
             w.view->midiManager().setHideActiveSensing(true);
         },
         {"Active Sensing Off"}},
    };
    for (const auto& c : cases) {
        Window w;
        w.speechOn();
        c.change(w);
        w.queue.drain();
        EXPECT_EQ(w.spoken(), c.expected) << c.name;
    }
    Window silent;
    for (const char* key : {"s", "c", "u", "l", "k", "i", "3"})
        silent.key(key);
    EXPECT_TRUE(silent.spoken().empty()) << "with speech off nothing is announced";
}

TEST(ContentViewKeys, RateAndVolumeSpeakAtTheNewValueAlsoAtTheirLimits) {
    struct Case {
        const char* name;
        bool isRate;
        float start;
        void (*press)(Window&);
        float expected;
        const char* text;
    };
    const Case cases[] = {
        {"slower", true, 0.5f, [](Window& w) { w.key("["); }, 0.45f, "Speech Rate Slower"},
        {"slowerAtMinimum", true, 0.0f, [](Window& w) { w.key("["); }, 0.0f, "Speech Rate Slower"},
        {"fasterAtMaximum", true, 1.0f, [](Window& w) { w.key("]"); }, 1.0f, "Speech Rate Faster"},
        {"upAtFull", false, 1.0f, [](Window& w) { w.arrow(ArrowKey::up); }, 1.0f, "TTS Volume Up"},
        {"downToZero", false, 0.05f, [](Window& w) { w.arrow(ArrowKey::down); }, 0.0f,
         "TTS Volume Down"},
    };
    for (const auto& c : cases) {
        Window w; // speech stays off: these always speak
        auto& announcer = w.view->speechAnnouncer();
        c.isRate ? announcer.setRate(c.start) : announcer.setVolume(c.start);
        c.press(w);
        const float value = c.isRate ? announcer.rate() : announcer.volume();
        EXPECT_NEAR(value, c.expected, 1e-6) << c.name;
        EXPECT_EQ(w.spoken(), Texts{c.text}) << c.name;
        const auto& said = w.log->lastSpoken();
        EXPECT_EQ(c.isRate ? said.rate : said.volume, value)
            << c.name << ": spoken at the new value";
    }
}

TEST(ContentViewKeys, ReadingKeysStopWhileSpeakingAndReadOtherwise) {
    struct Case {
        const char* name;
        const char* key;
        const char* startsWith;
    };
    const Case cases[] = {
        {"guide", "g", "To stop this reading, press G again. "},
        {"breakdown", "m", "To stop this reading, press M again. Fields are, "},
        {"recent", "r", "Note On"},
    };
    for (const auto& c : cases) {
        Window w;
        w.receive({midi2NoteOn(60)});
        w.view->speechAnnouncer().speakNow("something long");
        w.queue.drain();
        w.report(SpeechReport::started);
        w.forgetSpeech();

        w.key(c.key);
        ASSERT_EQ(w.log->calls.size(), 1u) << c.name;
        EXPECT_EQ(w.log->calls[0].kind, Kind::stop) << c.name << ": only stops";
        EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking()) << c.name;

        w.key(c.key);
        ASSERT_EQ(w.spoken().size(), 1u) << c.name;
        EXPECT_EQ(w.spoken()[0].rfind(c.startsWith, 0), 0u) << c.name << ": " << w.spoken()[0];
    }
}

TEST(ContentViewKeys, MReadsTheNewestVisibleMessageInItsSourceVoice) {
    Window w;
    w.log->voices = {{"voice-keys", "Keys Voice", "en"}};
    w.view->speechAnnouncer().setVoiceForSource(Window::keysID, "voice-keys");
    w.key("m");
    EXPECT_TRUE(w.log->calls.empty()) << "nothing to read in an empty list";

    w.receive({midi2NoteOn(60)});
    w.receive({timingClock});
    w.view->midiManager().setHideMidiClock(true); // the clock is newest, but hidden
    w.queue.drain();
    w.view->openBreakdown(w.view->midiManager().messages().front());
    w.key("m");
    const auto& said = w.log->lastSpoken();
    EXPECT_EQ(said.voiceIdentifier, "voice-keys");
    EXPECT_EQ(said.text.rfind("To stop this reading, click Stop Reading, or close this window. "
                              "Fields are, 4 bits, Message Type: 4, MIDI 2.0 Channel Voice",
                              0),
              0u)
        << said.text;
}

TEST(ContentViewKeys, GuideReadingFollowsTheSheet) {
    Window w;
    w.view->openUserGuide();
    w.key("g");
    EXPECT_EQ(w.spoken().back().rfind("To stop this reading, click Stop Reading, or close this "
                                      "window. ",
                                      0),
              0u);
    w.report(SpeechReport::started);
    w.view->toggleGuideReading();
    EXPECT_FALSE(w.view->speechAnnouncer().busy()) << "the sheet's button stops a reading";
    w.view->toggleGuideReading();
    w.queue.drain();
    EXPECT_EQ(w.spoken().size(), 2u);
    EXPECT_EQ(w.spoken()[1], w.spoken()[0]) << "the button reads what G reads with the sheet open";
}

TEST(ContentViewKeys, ClosingTheGuideOrTheBreakdownAlwaysStopsSpeech) {
    for (const bool guide : {true, false}) {
        Window w;
        w.receive({midi2NoteOn(60)});
        guide ? w.view->openUserGuide()
              : w.view->openBreakdown(w.view->midiManager().messages()[0]);
        w.view->speechAnnouncer().speakNow("an announcement");
        w.queue.drain();
        guide ? w.view->closeUserGuide() : w.view->closeBreakdown();
        w.queue.drain();
        EXPECT_FALSE(w.view->speechAnnouncer().busy()) << guide;
        EXPECT_EQ(w.log->calls.back().kind, Kind::stop) << guide;
        EXPECT_FALSE(guide ? w.view->showUserGuide() : w.view->inspectedMessage() != nullptr);
    }
}

TEST(ContentViewKeys, BreakdownReadingToggleReadsTheSheetsMessage) {
    Window w;
    w.receive({midi1NoteOn});
    w.receive({midi2NoteOn(64)});
    w.view->openBreakdown(w.view->midiManager().messages()[0]);
    w.view->toggleBreakdownReading();
    w.queue.drain();
    EXPECT_NE(w.spoken().at(0).find("MIDI 1.0 Channel Voice"), std::string::npos)
        << "the sheet's message, not the newest";
}

TEST(ContentViewKeys, DOpensTheDeviceSettingsAndSaysSoWithSpeechOn) {
    for (const TTSLevel level : {TTSLevel::off, TTSLevel::short_}) {
        Window w;
        w.speechOn(level);
        w.key("d");
        EXPECT_TRUE(w.view->showDeviceSettings());
        EXPECT_EQ(w.spoken(), level == TTSLevel::off ? Texts{} : Texts{"Devices"});
        w.view->closeDeviceSettings();
        EXPECT_FALSE(w.view->showDeviceSettings());
    }
}

// --- Export ---------------------------------------------------------------------------------

class ContentViewExport : public testing::Test {
protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("umbrascope-view-export-" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(ContentViewExport, AnEmptyBufferExportsNothing) {
    for (const TTSLevel level : {TTSLevel::off, TTSLevel::short_}) {
        Window w;
        w.speechOn(level);
        w.key("e");
        EXPECT_TRUE(w.asks.empty()) << "no save dialog";
        EXPECT_EQ(w.spoken(), level == TTSLevel::off ? Texts{} : Texts{"No Messages To Export"});
    }
}

TEST_F(ContentViewExport, TheCopyIsTakenWhenTheLocationIsChosen) {
    Window w;
    w.speechOn();
    w.receive({midi2NoteOn(60), timingClock});
    w.view->midiManager().setHideMidiClock(true); // hidden messages are exported too
    w.key("e");
    ASSERT_EQ(w.asks.size(), 1u);
    w.receive({midi1NoteOn}); // while the dialog is open
    const auto file = folder / "out.csv";
    w.asks[0](file);
    w.background.runAll();
    w.queue.drain();
    EXPECT_EQ(w.spoken(),
              (Texts{"Note On C4", "MIDI Clock Off", "Export CSV", "Exported 3 Messages"}));
    std::ifstream in(file);
    std::string line;
    int lines = 0;
    while (std::getline(in, line))
        ++lines;
    EXPECT_EQ(lines, 4) << "the header and three messages";
}

TEST_F(ContentViewExport, CancellingOrAnsweringTooLateDoesNothing) {
    Window w;
    w.speechOn();
    w.receive({midi2NoteOn(60)});
    w.view->requestExport();
    w.asks[0](std::nullopt);
    EXPECT_EQ(w.background.runAll(), 0u);

    w.view->exportCSV();
    auto late = w.asks[1];
    w.view.reset();
    late(folder / "late.csv");
    EXPECT_EQ(w.background.runAll(), 0u);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
}

} // namespace
} // namespace umbrascope
