#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace testing_support;
using Kind = FakeSpeechSynthesizer::Call::Kind;

bool startsWith(const std::string& text, std::string_view prefix) {
    return text.rfind(prefix, 0) == 0;
}

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

// What a key can change, to compare two windows.
std::string snapshot(const Window& w) {
    const auto& m = w.view->midiManager();
    std::ostringstream out;
    out << m.onlyUMPSources() << m.midi1ProtocolOnly() << m.hideActiveSensing() << m.hideMidiClock()
        << w.view->clickOnMessage() << w.view->lastInterrupts() << w.view->showDeviceSettings()
        << w.asks.size() << static_cast<int>(w.view->ttsLevel());
    for (const auto& text : w.spoken())
        out << '|' << text;
    return out.str();
}

TEST(ContentViewKeys, OnlyAcceptedKeysAreTakenAndUpperCaseActsAsLower) {
    for (const std::string_view key : {"9", "0", "x", "", "kk"}) {
        Window w;
        EXPECT_EQ(w.key(key), KeyResult::ignored) << key;
        EXPECT_TRUE(w.log->calls.empty()) << key;
    }
    for (const char lower : std::string_view("usctgmkrdeil")) {
        Window a, b;
        for (Window* w : {&a, &b}) {
            w->speechOn();
            w->receive({midi2NoteOn(60)});
        }
        EXPECT_EQ(a.key(std::string(1, lower)), KeyResult::handled) << lower;
        EXPECT_EQ(b.key(std::string(1, static_cast<char>(lower - 'a' + 'A'))), KeyResult::handled);
        EXPECT_EQ(snapshot(a), snapshot(b)) << lower;
        EXPECT_GT(a.spoken().size(), 1u) << lower << " says something";
    }
}

TEST(ContentViewKeys, DigitsToggleTheirTypeAndSpeakOnlyWithSpeechOn) {
    struct Case {
        TTSLevel level;
        char key;
        Texts expected;
    };
    const Case cases[] = {
        {TTSLevel::short_,
         '5',
         {"SysEx (8-bit) / Mixed Data Off", "SysEx (8-bit) / Mixed Data On"}},
        {TTSLevel::off, '5', {}},
        {TTSLevel::verbose, '8', {"U. M. Pea Stream Off", "U. M. Pea Stream On"}},
    };
    for (const auto& c : cases) {
        Window w;
        w.speechOn(c.level);
        w.key(std::string(1, c.key));
        EXPECT_TRUE(w.view->midiManager().hiddenMessageTypes().contains(
            legendOrder[static_cast<std::size_t>(c.key - '1')]))
            << c.key;
        w.key(std::string(1, c.key));
        EXPECT_TRUE(w.view->midiManager().hiddenMessageTypes().empty()) << c.key;
        EXPECT_EQ(w.spoken(), c.expected) << c.key;
    }
}

TEST(ContentViewKeys, EverySettingChangeIsAnnouncedWhoeverMakesIt) {
    const std::pair<std::string_view, Texts> keyCases[] = {
        {"ss", {"Active Sensing Off", "Active Sensing On"}},
        {"c", {"MIDI Clock Off"}},
        {"u", {"Only U. M. Pea-Native Connections On"}},
        {"l", {"MIDI 1 point 0 Protocol Only On"}},
        {"kk", {"Tick on Message On", "Tick on Message Off"}},
        {"i", {"Last Interrupts On"}},
    };
    for (const auto& [keys, expected] : keyCases) {
        Window w;
        w.speechOn();
        for (const char key : keys)
            w.key(std::string(1, key));
        EXPECT_EQ(w.spoken(), expected) << keys;
    }
    Window w; // switches, checkboxes and the legend, not keys
    w.speechOn();
    w.view->midiManager().setHideMidiClock(true);
    w.view->midiManager().setHideMidiClock(true); // no change, nothing said
    MessageTypeSet flexData;
    flexData.insert(UMPMessageType::flexData);
    w.view->midiManager().setHiddenMessageTypes(flexData);
    w.view->setClickOnMessage(true);
    w.queue.drain();
    EXPECT_EQ(w.spoken(), (Texts{"MIDI Clock Off", "Flex Data Off", "Tick on Message On"}));

    Window silent;
    for (const char* key : {"s", "c", "u", "l", "k", "i", "3"})
        silent.key(key);
    EXPECT_TRUE(silent.spoken().empty()) << "with speech off nothing is announced";
}

TEST(ContentViewKeys, RateAndVolumeSpeakAtTheNewValueAlsoAtTheirLimits) {
    struct Case {
        char key; // ^ and v for the arrows
        float start;
        float expected;
        const char* text;
    };
    const Case cases[] = {
        {'[', 0.5f, 0.45f, "Speech Rate Slower"},
        {']', 1.0f, 1.0f, "Speech Rate Faster"},
        {'^', 0.5f, 0.6f, "TTS Volume Up"},
        {'v', 0.05f, 0.0f, "TTS Volume Down"},
    };
    for (const auto& c : cases) {
        Window w; // speech stays off: these always speak
        auto& announcer = w.view->speechAnnouncer();
        const bool rate = c.key == '[' || c.key == ']';
        rate ? announcer.setRate(c.start) : announcer.setVolume(c.start);
        const KeyResult result =
            rate ? w.view->handleKey(std::string_view(&c.key, 1))
                 : w.view->handleKey(c.key == '^' ? ArrowKey::up : ArrowKey::down);
        EXPECT_EQ(result, KeyResult::handled);
        w.queue.drain();
        const float value = rate ? announcer.rate() : announcer.volume();
        EXPECT_NEAR(value, c.expected, 1e-6) << c.text << " from " << c.start;
        EXPECT_EQ(w.spoken(), Texts{c.text});
        const auto& said = w.log->lastSpoken();
        EXPECT_EQ(rate ? said.rate : said.volume, value) << c.text << ": at the new value";
    }
}

TEST(ContentViewKeys, ReadingKeysOnlyStopWhileSpeakingAndReadOtherwise) {
    struct Case {
        const char* key;
        const char* startsWith;
    };
    const Case cases[] = {
        {"g", "To stop this reading, press G again. "},
        {"m", "To stop this reading, press M again. Fields are, "},
        {"r", "Note On C4"},
    };
    for (const auto& c : cases) {
        Window w;
        w.receive({midi2NoteOn(60)});
        w.view->speechAnnouncer().speakNow("something long");
        w.queue.drain();
        w.report(SpeechReport::started);
        w.log->calls.clear();
        w.key(c.key);
        ASSERT_EQ(w.log->calls.size(), 1u) << c.key;
        EXPECT_EQ(w.log->calls[0].kind, Kind::stop) << c.key;
        w.key(c.key);
        ASSERT_EQ(w.spoken().size(), 1u) << c.key;
        EXPECT_TRUE(startsWith(w.spoken()[0], c.startsWith)) << w.spoken()[0];
    }
}

TEST(ContentViewKeys, MReadsTheNewestVisibleMessageInItsVoiceWithTheSheetsHint) {
    Window w;
    w.log->voices = {{"voice-keys", "Keys Voice", "en"}};
    w.view->speechAnnouncer().setVoiceForSource(Window::keysID, "voice-keys");
    w.key("m");
    EXPECT_TRUE(w.log->calls.empty()) << "nothing to read in an empty list";
    w.receive({midi1NoteOn});
    w.receive({midi2NoteOn(60)});
    w.receive({timingClock});
    w.key("c"); // the clock is the newest message, but hidden
    w.view->openBreakdown(w.view->midiManager().messages().front());
    w.key("m");
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, "voice-keys");
    EXPECT_TRUE(startsWith(w.log->lastSpoken().text,
                           "To stop this reading, click Stop Reading, or close this window. Fields "
                           "are, 4 bits, Message Type: 4, MIDI 2.0 Channel Voice"));
}

TEST(ContentViewKeys, Sheets) {
    Window w;
    w.receive({midi1NoteOn});
    w.receive({midi2NoteOn(64)});
    w.view->openUserGuide();
    w.key("g");
    EXPECT_TRUE(startsWith(w.spoken().at(0), "To stop this reading, click Stop Reading"));
    w.report(SpeechReport::started);
    w.view->toggleGuideReading();
    EXPECT_FALSE(w.view->speechAnnouncer().busy()) << "the guide's button stops a reading";
    w.view->toggleGuideReading();
    w.queue.drain();
    EXPECT_EQ(w.spoken().at(1), w.spoken()[0]) << "the button reads what G reads, sheet open";
    w.view->closeUserGuide();
    EXPECT_FALSE(w.view->showUserGuide());
    EXPECT_FALSE(w.view->speechAnnouncer().busy()) << "closing the guide stops speech";

    w.view->openBreakdown(w.view->midiManager().messages()[0]);
    w.view->toggleBreakdownReading();
    w.queue.drain();
    EXPECT_NE(w.spoken().at(2).find("MIDI 1.0 Channel Voice"), std::string::npos)
        << "the sheet's message, not the newest";
    w.view->closeBreakdown();
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_FALSE(w.view->speechAnnouncer().busy()) << "closing the breakdown stops speech";

    for (const TTSLevel level : {TTSLevel::off, TTSLevel::short_}) {
        w.speechOn(level);
        w.log->calls.clear();
        w.key("D");
        EXPECT_TRUE(w.view->showDeviceSettings());
        EXPECT_EQ(w.spoken(), level == TTSLevel::off ? Texts{} : Texts{"Devices"});
        w.view->closeDeviceSettings();
    }
}

// --- Export ---------------------------------------------------------------------------------

TEST(ContentViewExport, AnEmptyBufferOpensNoDialog) {
    for (const TTSLevel level : {TTSLevel::off, TTSLevel::short_}) {
        Window w;
        w.speechOn(level);
        w.key("e");
        EXPECT_TRUE(w.asks.empty());
        EXPECT_EQ(w.spoken(), level == TTSLevel::off ? Texts{} : Texts{"No Messages To Export"});
    }
}

TEST(ContentViewExport, TheBufferIsCopiedWhenTheLocationIsChosen) {
    const auto file = std::filesystem::path(testing::TempDir()) / "umbrascope-view-export.csv";
    std::filesystem::remove(file);
    Window w;
    w.speechOn();
    w.receive({midi2NoteOn(60), timingClock});
    w.key("c"); // hidden messages are exported too
    w.key("e");
    ASSERT_EQ(w.asks.size(), 1u);
    w.receive({midi1NoteOn}); // while the dialog is open
    w.asks[0](file);
    w.background.runAll();
    w.queue.drain();
    EXPECT_EQ(w.spoken(),
              (Texts{"Note On C4", "MIDI Clock Off", "Export CSV", "Exported 3 Messages"}));
    std::ifstream in(file);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(in), {}, '\n'), 4) << "header and three";
    std::filesystem::remove(file);

    w.view->exportCSV();
    w.asks[1](std::nullopt); // cancelled
    w.view->exportCSV();
    w.view.reset();
    w.asks[2](file); // answered after the window closed
    EXPECT_EQ(w.background.runAll(), 0u);
}

} // namespace
} // namespace umbrascope
