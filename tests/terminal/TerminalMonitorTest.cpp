#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/TerminalLoop.hpp"
#include "core/ManualScheduler.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"
#include "support/FakeSpeechSynthesizer.hpp"
#include "support/WindowFixture.hpp"
#include "terminal/CaptureRecorder.hpp"
#include "terminal/MonitorCommand.hpp"
#include "terminal/TerminalMonitor.hpp"

namespace umbrascope::terminal {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSpeechSynthesizer;

// Runs `text` through a capture of that name and the monitor, all on fakes: the capture plays
// on the test's thread with a fake clock, speech goes to a fake synthesizer, exports run at once.
struct Terminal {
    FakeClock clock;
    testing_support::FakeSleeper sleeper{clock};
    ReplayService service{clock};
    ManualQueue queue;
    ManualScheduler scheduler{clock};
    testing_support::ManualBackgroundQueue background;
    AudioEngine engine{nullptr};
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    std::unique_ptr<TerminalMonitor> monitor;
    KeyDecoder decoder;

    explicit Terminal(MonitorOptions options = {}) {
        monitor = std::make_unique<TerminalMonitor>(
            ContentViewServices{service,
                                std::make_unique<FakeSpeechSynthesizer>(log),
                                engine,
                                queue,
                                scheduler,
                                background,
                                clock,
                                {}},
            std::move(options));
        queue.drain();
    }
    ContentView& view() { return monitor->view(); }
    SourceRef add(std::string_view capture) {
        const SourceRef source = service.addSource(parseCapture(capture, "keys.ump"));
        queue.drain();
        return source;
    }
    void play(SourceRef source) {
        service.play(source, ReplayPace::recorded, sleeper, {}, [this] { queue.drain(); });
    }
    // The keys, then the wait for the rest of a sequence runs out.
    void press(std::string_view bytes) {
        auto keys = decoder.feed(bytes);
        for (const auto& key : decoder.flush())
            keys.push_back(key);
        for (const TerminalKey& key : keys) {
            monitor->handleKey(key);
            queue.drain();
            background.runAll();
            queue.drain();
        }
    }
    std::string output() {
        std::string out, notes;
        monitor->takeOutput(out, notes);
        return out + notes;
    }
    std::string lastSpoken() const { return log->lastSpoken().text; }
};

constexpr std::string_view twoNotes = "40903C00 FFFF0000\n+0.25 40803C00 00000000\n";

TEST(KeyDecoder, TurnsTerminalBytesIntoKeys) {
    using Kind = TerminalKey::Kind;
    const TerminalKey up{Kind::up}, down{Kind::down}, enter{Kind::enter}, esc{Kind::escape};
    const struct {
        const char* name;
        std::vector<std::string> reads;
        std::vector<TerminalKey> keys;
    } rows[] = {
        {"letters", {"tq"}, {{Kind::character, 't'}, {Kind::character, 'q'}}},
        {"arrowsBothForms", {"\x1b[A\x1bOB"}, {up, down}},
        {"arrowSplitOverReads", {"\x1b", "[", "A"}, {up}},
        {"loneEscapeWaits", {"\x1b"}, {}},
        {"sequenceSplitAfterBracket", {"\x1b[", "B"}, {down}},
        {"otherSequencesDropped", {"\x1b[1;5A\x1b[15~\x1b[C"}, {}},
        {"escapeThenLetter", {"\x1bx"}, {esc, {Kind::character, 'x'}}},
        {"enterAsCrOrLf", {"\r\n"}, {enter, enter}},
        {"controlKeys", {"\x03\x1a\x04"}, {{Kind::interrupt}, {Kind::suspend}}},
        {"nonAsciiDropped", {"\xc3\xa9t"}, {{Kind::character, 't'}}},
    };
    for (const auto& row : rows) {
        KeyDecoder decoder;
        std::vector<TerminalKey> keys;
        for (const auto& read : row.reads)
            for (const auto& key : decoder.feed(read))
                keys.push_back(key);
        EXPECT_EQ(keys, row.keys) << row.name;
    }
    KeyDecoder decoder;
    decoder.feed("t\x1b");
    EXPECT_TRUE(decoder.waiting());
    EXPECT_EQ(decoder.flush(), std::vector<TerminalKey>{esc});
    EXPECT_FALSE(decoder.waiting());
    decoder.feed("\x1b[");
    EXPECT_EQ(decoder.flush(), (std::vector<TerminalKey>{esc, {Kind::character, '['}}));
}

// The window's keys act on the one ContentView and say what the window says.
TEST(TerminalMonitor, WindowKeysReachTheViewWithItsSpokenConfirmations) {
    const struct {
        const char* name;
        std::string keys;
        std::string spoken;
    } rows[] = {
        {"narrationCycles", "T", "TTS Short"},
        {"upperAndLowerCase", "tTt", "TTS Off"},
        {"digitHidesAType", "t5", "SysEx (8-bit) / Mixed Data Off"},
        {"arrowUp", "\x1b[A", "TTS Volume Up"},
        {"slower", "[", "Speech Rate Slower"},
        {"ticks", "tk", "Tick on Message On"},
        {"exportWithEmptyBuffer", "te", "No Messages To Export"},
        {"recentCatchUp", "r", "No Recent Messages"},
    };
    for (const auto& row : rows) {
        Terminal terminal;
        terminal.press(row.keys);
        EXPECT_EQ(terminal.lastSpoken(), row.spoken) << row.name;
        EXPECT_FALSE(terminal.monitor->quitRequested()) << row.name;
    }
}

TEST(TerminalMonitor, QuitsOnQAndCtrlCOnly) {
    for (const auto& [keys, quits] : std::vector<std::pair<std::string, bool>>{
             {"q", true}, {"\x03", true}, {"Q", false}, {"\x1a", false}, {"x?\r", false}}) {
        Terminal terminal;
        terminal.press(keys);
        EXPECT_EQ(terminal.monitor->quitRequested(), quits) << keys;
    }
}

// A device names itself: its name must not reach the terminal as control characters.
TEST(TerminalMonitor, LinesAreOnePerMessageWithDeviceTextEscaped) {
    Terminal terminal;
    terminal.output(); // the starting status
    terminal.play(terminal.add("@source Evil\x1b]0;owned\x07\\tPort\n" + std::string(twoNotes)));
    const std::string out = terminal.output();
    // The source is told before its first message.
    EXPECT_EQ(out, "Sources: Evil\\x1B]0;owned\\x07\\tPort\n"
                   "0\tEvil\\x1B]0;owned\\x07\\tPort\t40903C00  FFFF0000\tMIDI 2.0 Channel "
                   "Voice\tNote On: C4 (60), velocity 65535 (100.00%) — Ch 1, Grp 1\n"
                   "1\tEvil\\x1B]0;owned\\x07\\tPort\t40803C00  00000000\tMIDI 2.0 Channel "
                   "Voice\tNote Off: C4 (60), velocity 0 (0.00%) — Ch 1, Grp 1\n");
}

// P holds the printed lines and counts what comes; the status tells the pause once, not each
// count. With --time every line leads with its arrival, and the breakdown says it too.
TEST(TerminalMonitor, PauseHoldsTheLinesAndTimesLeadThem) {
    MonitorOptions options;
    options.time = true;
    Terminal terminal(options);
    terminal.output();
    terminal.play(terminal.add("40903C00 FFFF0000\n"));
    EXPECT_EQ(terminal.output(), "Sources: keys\n0.000\t0\tkeys\t40903C00  FFFF0000\tMIDI 2.0 "
                                 "Channel Voice\tNote On: C4 (60), velocity 65535 (100.00%) — Ch "
                                 "1, Grp 1\n");
    terminal.press("p");
    EXPECT_EQ(terminal.output(), "Paused: Yes\n");
    terminal.play(terminal.add("+0.25 40803C00 00000000\n+0.25 10F80000\n"));
    EXPECT_EQ(terminal.output(), "Sources: keys, keys\n") << "and no message";
    EXPECT_EQ(terminal.view().newWhilePaused(), 2u);
    terminal.press("\r");
    EXPECT_NE(terminal.output().find("FFFF0000\tMIDI 2.0 Channel Voice\tNote On: C4 (60), "
                                     "velocity 65535 (100.00%) — Ch 1, Grp 1\n"
                                     "Arrived 0.000 seconds after the start.\n"),
              std::string::npos);
    terminal.press("P");
    EXPECT_EQ(terminal.output(), "Paused: No\n0.250\t1\tkeys\t40803C00  00000000\tMIDI 2.0 "
                                 "Channel Voice\tNote Off: C4 (60), velocity 0 (0.00%) — Ch 1, "
                                 "Grp 1\n0.500\t2\tkeys\t10F80000\tSystem Real-Time / "
                                 "Common\tTiming Clock — Grp 1\n");
}

TEST(TerminalMonitor, StatusChangesAreOneLineEach) {
    Terminal terminal;
    const std::string start = terminal.output();
    EXPECT_EQ(start.find('\n'), start.size() - 1) << start;
    EXPECT_NE(start.find("Narration: TTS Off;"), std::string::npos) << start;
    terminal.press("tc3b");
    EXPECT_EQ(terminal.output(),
              "Narration: TTS Short\nHidden: System Real-Time / Common\nNo MIDI Clock: On\n"
              "Buffer Size: 1000\n");
    terminal.press("bb");
    EXPECT_EQ(terminal.output(), "Buffer Size: 500\n");
}

TEST(TerminalMonitor, JSONIsOneObjectPerMessageAndNotesGoApart) {
    Terminal terminal({DisplayMode::json});
    terminal.press("\r");
    const std::string start = terminal.output(); // all of it notes
    EXPECT_NE(start.find("Narration: TTS Off"), std::string::npos);
    EXPECT_NE(start.find("No message to break down\n"), std::string::npos);
    terminal.play(terminal.add("@source A\"B\\\\\n40903C00 FFFF0000\n"));
    std::string out, notes;
    terminal.monitor->takeOutput(out, notes);
    EXPECT_EQ(out, R"({"sequenceNumber":0,"time":"2027-01-15T08:00:00.000Z","sourceID":)" +
                       std::to_string(replaySourceID("A\"B\\")) +
                       R"(,"source":"A\"B\\","words":["40903C00","FFFF0000"],)"
                       R"("type":"midi2ChannelVoice","displayName":"MIDI 2.0 Channel Voice",)"
                       R"("hex":"40903C00  FFFF0000","description":"Note On: C4 (60), velocity )"
                       R"(65535 (100.00%) — Ch 1, Grp 1","short":"Note On C4",)"
                       R"("verbose":"Note On C4 Velocity 100.00 Percent Channel 1"})"
                       "\n");
    terminal.press("\r");
    out.clear();
    notes.clear();
    terminal.monitor->takeOutput(out, notes);
    EXPECT_EQ(out, "");
    EXPECT_NE(notes.find("Breakdown of 0\tA\"B\\\t40903C00  FFFF0000"), std::string::npos);
    EXPECT_NE(notes.find("Note Number = C4"), std::string::npos) << notes;
}

// Every key has its line in the help: the window's, the terminal's and the device list's.
TEST(TerminalMonitor, HelpNamesEveryKey) {
    Terminal terminal;
    terminal.output();
    terminal.press("?");
    const std::string help = terminal.output();
    for (const char* line :
         {"\n1–8: Show/hide each message type", "\nU: Toggle Only UMP-Native Connections\n",
          "\nT: Cycle TTS", "\n[ ]: Speech rate: slower / faster\n", "\n↑ ↓: Speech volume",
          "\n- =: Speech volume: down / up", "\nG: Read this guide aloud", "\nM: Read the More",
          "\nD: Open the Devices panel\n", "\nE: Export the buffer to CSV\n", "\nP: Pause / resume",
          "\nq or Ctrl+C:", "\nEnter:", "\nx:", "\nb:", "\n?:", "Escape or D closes"})
        EXPECT_NE(help.find(line), std::string::npos) << line << help;
    EXPECT_EQ(std::count(help.begin(), help.end(), '\n'), 1 + 17 + 5 + 1) << help;
}

TEST(TerminalMonitor, DeviceListTogglesASourceCyclesItsVoiceAndMovesItsPan) {
    Terminal terminal;
    terminal.log->voices = {{"a", "Alice", "en-us"}, {"b", "Bob", "en-gb"}};
    const SourceRef keys = terminal.add(twoNotes);
    const std::int32_t id = terminal.view().midiManager().availableSources().at(0).id;
    terminal.output();
    terminal.press("d");
    EXPECT_TRUE(terminal.view().showDeviceSettings());
    EXPECT_NE(terminal.output().find("Devices:\n> [on]  keys  voice: default  pan: +0.0\n"),
              std::string::npos);
    terminal.press(" vv>>>");
    EXPECT_FALSE(terminal.view().midiManager().enabledSourceIDs().contains(id));
    EXPECT_EQ(terminal.view().speechAnnouncer().voiceForSource().at(id), "b");
    EXPECT_FLOAT_EQ(terminal.view().clickPlayer().pan(id), 0.3F);
    EXPECT_NE(terminal.output().find("> [off] keys  voice: Bob (en-gb)  pan: +0.3\n"),
              std::string::npos);
    terminal.press("v<<<<<<<<<<<<<\x1b");
    EXPECT_FALSE(terminal.view().showDeviceSettings());
    EXPECT_EQ(terminal.view().speechAnnouncer().voiceForSource().count(id), 0u);
    EXPECT_FLOAT_EQ(terminal.view().clickPlayer().pan(id), -1.0F);
    terminal.play(keys); // a disabled source is not heard
    EXPECT_TRUE(terminal.view().midiManager().messages().empty());
}

TEST(TerminalMonitor, ExportWritesTheNamedFileAndSaysSo) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("umbrascope-terminal-export-" + std::to_string(::getpid()) + ".csv");
    Terminal terminal({DisplayMode::lines, false, path});
    terminal.play(terminal.add(twoNotes));
    terminal.press("te");
    EXPECT_EQ(terminal.lastSpoken(), "Exported 2 Messages");
    std::ifstream file(path);
    std::string header;
    std::getline(file, header);
    EXPECT_EQ(header, "Source,Hex,TTS Short,TTS Verbose");
    std::filesystem::remove(path);
}

TEST(TerminalMonitor, ScreenIsColouredOnlyWhenAsked) {
    for (const bool colour : {false, true}) {
        Terminal terminal({DisplayMode::screen, colour});
        terminal.monitor->resize({10, 60});
        terminal.play(terminal.add(twoNotes));
        testing_support::runFor(terminal.clock, terminal.scheduler, 1s);
        const std::string screen = terminal.output();
        EXPECT_EQ(screen.find("\x1b[33m40903C00  FFFF0000\x1b[0m") != std::string::npos, colour);
        EXPECT_EQ(screen.find("\x1b[7m") != std::string::npos, colour);
        EXPECT_NE(screen.find("1  "), std::string::npos);
        // Nothing changed: no frame.
        testing_support::runFor(terminal.clock, terminal.scheduler, 1s);
        EXPECT_EQ(terminal.output(), "");
    }
}

// What the recording holds plays back as the same packets with the same delays.
TEST(CaptureRecorder, ReplaysAsRecorded) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("umbrascope-terminal-record-" + std::to_string(::getpid()) + ".ump");
    const std::string original = "@source Pad\\tA\n"
                                 "40903C00 FFFF0000 40903E00 FFFF0000\n"
                                 "+0.250 10F80000\n"
                                 "+1.001 30160000 00000000 20903C64\n"
                                 "+0.000 20803C00\n"
                                 "+86400 10FA0000\n";
    Terminal terminal;
    std::optional<CaptureRecorder> recorder;
    recorder.emplace(terminal.view().midiManager(), path);
    terminal.play(terminal.add(original));
    ASSERT_EQ(recorder->finish(), std::nullopt);
    const Capture played = parseCapture(original, "original.ump");
    const Capture recorded = loadCapture(path);
    EXPECT_EQ(recorded.sourceName, "Pad\tA");
    ASSERT_EQ(recorded.lines.size(), played.lines.size() - 1); // +0.000 joins its line
    const std::vector<std::pair<std::chrono::milliseconds, std::vector<std::uint32_t>>> expected{
        {0ms, {0x40903C00, 0xFFFF0000, 0x40903E00, 0xFFFF0000}},
        {250ms, {0x10F80000}},
        {1001ms, {0x30160000, 0x00000000, 0x20903C64, 0x20803C00}},
        {86400s, {0x10FA0000}},
    };
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(std::chrono::duration_cast<std::chrono::milliseconds>(recorded.lines[i].delay),
                  expected[i].first)
            << i;
        const auto words = recorded.words(recorded.lines[i]);
        EXPECT_EQ(std::vector(words.begin(), words.end()), expected[i].second) << i;
    }
    std::filesystem::remove(path);
}

// A flood of posts (a task that posts itself again) still ends each round, so the keys and the
// output are looked at between rounds.
TEST(TerminalLoop, AFloodOfTasksStillEndsEachRound) {
    FakeClock clock;
    testing_support::FakeSleeper sleeper(clock);
    cli::TerminalLoop loop(clock, sleeper);
    std::size_t ran = 0;
    std::function<void()> again = [&] {
        ++ran;
        loop.post(again);
    };
    loop.post(again);
    int rounds = 0;
    EXPECT_TRUE(loop.runUntil(MonoTime::max(), {}, [&] { return ++rounds == 3; }));
    EXPECT_EQ(ran, 3 * cli::TerminalLoop::roundTasks);
}

TEST(MonitorCommand, ModeAndColourFollowTheOutputAndNoColor) {
    EXPECT_EQ(automaticMode(true, "xterm-256color"), DisplayMode::screen);
    EXPECT_EQ(automaticMode(true, "dumb"), DisplayMode::lines);
    EXPECT_EQ(automaticMode(true, nullptr), DisplayMode::lines);
    EXPECT_EQ(automaticMode(false, "xterm"), DisplayMode::lines);
    EXPECT_TRUE(useColour(DisplayMode::screen, true, nullptr));
    EXPECT_FALSE(useColour(DisplayMode::screen, true, ""));
    EXPECT_FALSE(useColour(DisplayMode::screen, false, nullptr));
    EXPECT_FALSE(useColour(DisplayMode::lines, true, nullptr));
}

} // namespace
} // namespace umbrascope::terminal
