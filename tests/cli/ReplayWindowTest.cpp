#include <gtest/gtest.h>

#include <optional>
#include <thread>

#include "CliTestSupport.hpp"
#include "cli/ReplayCommand.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope::cli {
namespace {

using namespace std::chrono_literals;

// Waits by moving the fake clock; asked to wait past `stopAt`, it stops the replay instead, as a
// Ctrl+C in the middle of that wait would.
class Waiter final : public Sleeper {
public:
    bool sleepUntil(MonoTime deadline, std::stop_token stop) override {
        if (deadline > stopAt) {
            interrupt.request_stop();
            return false;
        }
        return fake.sleepUntil(deadline, stop);
    }

    FakeClock clock;
    testing_support::FakeSleeper fake{clock};
    MonoTime stopAt = MonoTime::max();
    std::stop_source interrupt;
};

std::string line(const char* time, const char* outcome, bool fromKeys, const char* text) {
    const std::string source = fromKeys ? std::to_string(replaySourceID("keys")) : "-";
    return std::string(time) + ' ' + outcome + " source=" + source +
           " voice=default rate=0.50 volume=1.00 \"" + text + "\"\n";
}

// Each utterance takes a second. The log has a line when an utterance is handed over and one
// when its outcome is known, each with its own time.
TEST(ReplayWindow, KeysAndAnnouncementsReachTheSpeechLogInOrderAlsoWhenInterrupted) {
    const std::string untilTheSysEx8 =
        line("0.000", "handed-over", false, "TTS Verbose") +
        line("0.000", "dropped-busy", true, "Note On C4 Velocity 100.00 Percent Channel 1") +
        line("0.500", "dropped-busy", true, "Note On D4 Velocity 100.00 Percent Channel 1") +
        line("1.000", "spoken", false, "TTS Verbose") +
        line("2.500", "handed-over", true, "Note On E4 Velocity 100.00 Percent Channel 1") +
        line("3.000", "cut-off", true, "Note On E4 Velocity 100.00 Percent Channel 1") +
        line("3.000", "handed-over", false, "SysEx (8-bit) / Mixed Data Off");
    const struct {
        const char* name;
        MonoTime stopAt;
        int status;
        std::string logAfterTheSysEx8;
    } rows[] = {
        {"toTheEnd", MonoTime::max(), 0,
         line("4.000", "spoken", false, "SysEx (8-bit) / Mixed Data Off") +
             line("5.000", "handed-over", true, "Note On F4 Velocity 100.00 Percent Channel 1") +
             line("5.000", "cut-off", true, "Note On F4 Velocity 100.00 Percent Channel 1") +
             line("5.000", "handed-over", false, "Last Interrupts On") +
             line("6.000", "spoken", false, "Last Interrupts On")},
        {"interruptedWhileOffIsSaid", MonoTime{} + 3200ms, interruptedStatus,
         line("3.000", "cut-off", false, "SysEx (8-bit) / Mixed Data Off")},
    };
    for (const auto& row : rows) {
        TempFolder folder;
        Waiter waiter;
        waiter.stopAt = row.stopAt;
        ReplayOptions options;
        // Packets at 0, 0.5, 2.5, 3 and 5 s; the fourth is SysEx8.
        options.files = {folder.write("keys.ump", "40903C00 FFFF0000\n"
                                                  "+0.5 40903E00 FFFF0000\n"
                                                  "+2 40904000 FFFF0000\n"
                                                  "+0.5 50000000 00000000 00000000 00000000\n"
                                                  "+2 40904100 FFFF0000\n")};
        options.pace = ReplayPace::recorded;
        options.announce = TTSLevel::short_;
        options.keys = parseKeyScript("T@0 5@3 I@9");
        options.speechLog = folder.write("speech.log", "old lines\n");
        ReplayRuntime runtime{&waiter.clock, &waiter,
                              [](std::string_view, TerminalLoop& loop, std::ostream&) {
                                  return platform::SpeechSetup{
                                      std::make_unique<AudioEngine>(nullptr),
                                      std::make_unique<ScriptedSynthesizer>(SpeechReport::finished,
                                                                            &loop.scheduler()),
                                      platform::SpeechBackend::speechd, nullptr, nullptr};
                              },
                              waiter.interrupt.get_token()};
        std::ostringstream out, err;
        EXPECT_EQ(runReplay(options, out, err, runtime), row.status) << row.name << err.str();
        EXPECT_EQ(readFile(*options.speechLog), untilTheSysEx8 + row.logAfterTheSysEx8) << row.name;
        // Hidden before it arrived, the SysEx8 packet is not in the buffer; stopped, nothing is.
        EXPECT_EQ(out.str().find("50000000"), std::string::npos) << row.name;
        EXPECT_EQ(out.str().find("40904100") != std::string::npos, row.status == 0) << row.name;
    }
}

// The time column gives each message's arrival on the replay's clock, printed and in the CSV,
// which reads back.
TEST(ReplayWindow, TimeColumnLeadsPrintedLinesAndTheCSV) {
    TempFolder folder;
    const std::string capture =
        folder.write("keys.ump", "20903C64\n+0.5 10F80000\n+2.2505 10FA0000\n");
    const std::string csv = folder.write("out.csv", "");
    const struct {
        const char* name;
        std::vector<std::string> files;
        std::optional<std::string> csvPath;
        std::string out;
        std::string csv;
    } rows[] = {
        {"printed",
         {capture},
         std::nullopt,
         "0.000\t0\tkeys\t20903C64\tMIDI 1.0 Channel Voice\tNote On: C4 (60), velocity 100 "
         "(78.74%) — Ch 1, Grp 1\n"
         "0.500\t1\tkeys\t10F80000\tSystem Real-Time / Common\tTiming Clock — Grp 1\n"
         "2.750\t2\tkeys\t10FA0000\tSystem Real-Time / Common\tStart — Grp 1\n",
         ""},
        {"csv",
         {capture},
         csv,
         "Exported 3 Messages\n",
         "Time,Source,Hex,TTS Short,TTS Verbose\n"
         "0.000,keys,20903C64,Note On C4,Note On C4 Velocity 78.74 Percent Channel 1\n"
         "0.500,keys,10F80000,,\n"
         "2.750,keys,10FA0000,Start,Start\n"},
        // Read back at its own pace: no delays, so every time is the start.
        {"csvReadBack", {csv}, std::nullopt, "", ""},
    };
    for (const auto& row : rows) {
        Waiter waiter;
        ReplayOptions options;
        options.files = row.files;
        options.pace = ReplayPace::recorded;
        options.time = true;
        options.csvPath = row.csvPath;
        ReplayRuntime runtime;
        runtime.clock = &waiter.clock;
        runtime.waiter = &waiter;
        std::ostringstream out, err;
        ASSERT_EQ(runReplay(options, out, err, runtime), 0) << row.name << err.str();
        if (row.csvPath) {
            EXPECT_EQ(out.str(), row.out) << row.name;
            EXPECT_EQ(readFile(*row.csvPath), row.csv) << row.name;
        } else if (row.files[0] == csv) {
            EXPECT_TRUE(out.str().starts_with("0.000\t0\tout\t20903C64\t")) << row.name;
            EXPECT_NE(out.str().find("0.000\t2\tout\t10FA0000"), std::string::npos) << row.name;
        } else {
            EXPECT_EQ(out.str(), row.out) << row.name;
        }
    }
    const std::string_view timed[] = {capture, "--time"};
    EXPECT_TRUE(parseReplayOptions(timed)->time);
    EXPECT_FALSE(parseReplayOptions(Arguments(timed).first(1))->time);
}

// Speech reports come from other threads while a paced replay waits: a post must end the wait.
// The waiter posts from another thread once the loop waits in it, and sees whether its wait was
// ended.
TEST(TerminalLoop, APostFromAnotherThreadEndsTheWait) {
    struct PostingWaiter final : Sleeper {
        bool sleepUntil(MonoTime, std::stop_token stop) override {
            std::thread([this] { loop->post([] {}); }).join();
            woken = stop.stop_requested();
            return !woken;
        }
        TerminalLoop* loop = nullptr;
        std::optional<bool> woken;
    } waiter;
    FakeClock clock;
    TerminalLoop loop(clock, waiter);
    waiter.loop = &loop;
    EXPECT_TRUE(loop.runUntil(MonoTime{} + 1h, {}, [&] { return waiter.woken.has_value(); }));
    EXPECT_EQ(waiter.woken, true);
}

} // namespace
} // namespace umbrascope::cli
