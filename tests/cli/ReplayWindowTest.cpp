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
