#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "CliTestSupport.hpp"
#include "cli/ReplayCommand.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope::cli {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSleeper;

// Says each utterance for one second of the fake clock, unless it is stopped first.
class TimedSynthesizer final : public SpeechSynthesizer {
public:
    explicit TimedSynthesizer(Scheduler& scheduler) : scheduler_(scheduler) {}

    void speak(const Utterance& utterance) override {
        stopSpeaking();
        current_ = utterance.id;
        report(utterance.id, SpeechReport::started);
        finish_ = scheduler_.defer(
            1s, [this] { report(*std::exchange(current_, std::nullopt), SpeechReport::finished); });
    }
    void stopSpeaking() override {
        if (!current_) return;
        finish_.reset();
        report(*std::exchange(current_, std::nullopt), SpeechReport::cancelled);
    }
    std::vector<Voice> voices() const override { return {}; }
    bool hasVoice(const std::string&) const override { return false; }

private:
    Scheduler& scheduler_;
    std::optional<std::uint64_t> current_;
    std::unique_ptr<ScheduledTask> finish_;
};

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
    FakeSleeper fake{clock};
    MonoTime stopAt = MonoTime::max();
    std::stop_source interrupt;
};

struct Replay {
    TempFolder folder;
    std::string log = folder.write("speech.log", "old lines\n");
    Waiter waiter;
    ReplayOptions options;
    ReplayRuntime runtime;

    Replay() {
        // Packets at 0, 0.5, 2.5, 3 and 5 s; the fourth is SysEx8.
        options.files = {folder.write("keys.ump", "40903C00 FFFF0000\n"
                                                  "+0.5 40903E00 FFFF0000\n"
                                                  "+2 40904000 FFFF0000\n"
                                                  "+0.5 50000000 00000000 00000000 00000000\n"
                                                  "+2 40904100 FFFF0000\n")};
        options.pace = ReplayPace::recorded;
        options.announce = TTSLevel::short_;
        options.keys = parseKeyScript("T@0 5@3 I@9");
        options.speechLog = log;
        runtime.clock = &waiter.clock;
        runtime.waiter = &waiter;
        runtime.stop = waiter.interrupt.get_token();
        runtime.makeSpeech = [](std::string_view, TerminalLoop& loop, std::ostream&) {
            return platform::SpeechSetup{std::make_unique<AudioEngine>(nullptr),
                                         std::make_unique<TimedSynthesizer>(loop.scheduler()),
                                         "timed", nullptr};
        };
    }
    CommandResult run() {
        std::ostringstream out, err;
        const int status = runReplay(options, out, err, runtime);
        return {status, out.str(), err.str()};
    }
};

std::string line(const char* time, const char* outcome, bool fromKeys, const char* text) {
    const std::string source = fromKeys ? std::to_string(replaySourceID("keys")) : "-";
    return std::string(time) + ' ' + outcome + " source=" + source +
           " voice=default rate=0.50 volume=1.00 \"" + text + "\"\n";
}

// The log is written in the order the outcomes became known, each line with its request's time.
const std::string untilTheSysEx8 =
    line("0.000", "dropped-busy", true, "Note On C4 Velocity 100.00 Percent Channel 1") +
    line("0.500", "dropped-busy", true, "Note On D4 Velocity 100.00 Percent Channel 1") +
    line("0.000", "spoken", false, "TTS Verbose") +
    line("2.500", "cut-off", true, "Note On E4 Velocity 100.00 Percent Channel 1");

TEST(ReplayWindow, KeysAndAnnouncementsReachTheSpeechLogInOrder) {
    Replay replay;
    const auto result = replay.run();
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(readFile(replay.log),
              untilTheSysEx8 + line("3.000", "spoken", false, "SysEx (8-bit) / Mixed Data Off") +
                  line("5.000", "cut-off", true, "Note On F4 Velocity 100.00 Percent Channel 1") +
                  line("5.000", "spoken", false, "Last Interrupts On"));
    // Hidden before it arrived, the SysEx8 packet is not in the buffer.
    EXPECT_EQ(result.out.find("50000000"), std::string::npos);
    EXPECT_NE(result.out.find("40904100"), std::string::npos);
}

TEST(ReplayWindow, InterruptedReplayKeepsEveryLineAndCutsOffWhatIsSaid) {
    Replay replay;
    replay.waiter.stopAt = MonoTime{} + 3200ms; // while "… Off" is being said
    const auto result = replay.run();
    EXPECT_EQ(result.status, interruptedStatus);
    EXPECT_EQ(readFile(replay.log),
              untilTheSysEx8 + line("3.000", "cut-off", false, "SysEx (8-bit) / Mixed Data Off"));
    EXPECT_EQ(result.out, "");
}

TEST(TerminalLoop, APostFromAnotherThreadEndsTheWait) {
    SystemSleeper sleeper;
    TerminalLoop loop(SystemClock::instance(), sleeper);
    std::atomic<bool> ran = false;
    std::thread poster([&] { loop.post([&] { ran = true; }); });
    // Without the wake-up the loop would sleep through the whole deadline and fail.
    EXPECT_TRUE(loop.runUntil(SystemClock::instance().monotonicNow() + 60s, {},
                              [&] { return ran.load(); }));
    poster.join();
}

} // namespace
} // namespace umbrascope::cli
