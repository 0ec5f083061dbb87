#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>

#include "core/Clock.hpp"
#include "core/MainQueue.hpp"
#include "core/ManualScheduler.hpp"
#include "midi/replay/Sleeper.hpp"

namespace umbrascope::cli {

// The main thread of a command that waits, as an event loop would run it: tasks that any thread
// posts and timers that come due run whenever the command waits through the loop. As a Sleeper it
// is what a paced replay waits with, so speech reports and the window's timers keep running
// between packets.
//
// Main thread only, except post(). The clock and the waiter must outlive the loop; the waiter
// does the actual waiting (SystemSleeper, or a fake that moves a fake clock) and is woken early by
// a post from another thread.
class TerminalLoop final : public MainQueue, public Sleeper {
public:
    TerminalLoop(const Clock& clock, Sleeper& waiter);

    void post(std::function<void()> task) override;
    Scheduler& scheduler() { return scheduler_; }

    // Runs every posted task and every due timer, including those they add, without waiting.
    void runPending();
    // A round of the loop runs at most this many tasks before the due timers and `done`, so a
    // flood of posts cannot hold off the keys and the output.
    static constexpr std::size_t roundTasks = 256;
    // Runs the loop until `deadline` on the clock's monotonic time, until `done` holds (asked after
    // each round of tasks) or until a stop. False when stopped, or when the deadline came first.
    bool runUntil(MonoTime deadline, std::stop_token stop, const std::function<bool()>& done);
    // Runs the loop until the deadline; false when stopped first.
    bool sleepUntil(MonoTime deadline, std::stop_token stop) override;

private:
    enum class Ended { done, deadline, stopped };
    Ended run(MonoTime deadline, std::stop_token stop, const std::function<bool()>& done);
    // Runs up to `limit` tasks in post order; returns how many ran.
    std::size_t runTasks(std::size_t limit);
    std::size_t pendingTasks() const;

    const Clock& clock_;
    Sleeper& waiter_;
    mutable std::mutex tasksMutex_;
    std::deque<std::function<void()>> tasks_;
    ManualScheduler scheduler_;
    std::mutex wakeMutex_;
    std::stop_source* wake_ = nullptr; // the wait under way, ended by a post
};

} // namespace umbrascope::cli
