#include "cli/TerminalLoop.hpp"

#include <algorithm>
#include <limits>

namespace umbrascope::cli {

TerminalLoop::TerminalLoop(const Clock& clock, Sleeper& waiter)
    : clock_(clock), waiter_(waiter), scheduler_(clock) {}

void TerminalLoop::post(std::function<void()> task) {
    {
        std::lock_guard lock(tasksMutex_);
        tasks_.push_back(std::move(task));
    }
    // After the push: a wait that began before it is ended here, one that begins after it sees
    // the task before it waits.
    std::lock_guard lock(wakeMutex_);
    if (wake_) wake_->request_stop();
}

std::size_t TerminalLoop::runTasks(std::size_t limit) {
    std::size_t ran = 0;
    for (; ran < limit; ++ran) {
        std::function<void()> task;
        {
            std::lock_guard lock(tasksMutex_);
            if (tasks_.empty()) break;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    return ran;
}

std::size_t TerminalLoop::pendingTasks() const {
    std::lock_guard lock(tasksMutex_);
    return tasks_.size();
}

void TerminalLoop::runPending() {
    // Tasks that tasks post run too; a timer may post more, or set one that is due.
    constexpr auto all = std::numeric_limits<std::size_t>::max();
    runTasks(all);
    while (scheduler_.runDue() > 0)
        runTasks(all);
}

TerminalLoop::Ended TerminalLoop::run(MonoTime deadline, std::stop_token stop,
                                      const std::function<bool()>& done) {
    for (;;) {
        runTasks(roundTasks);
        scheduler_.runDue();
        if (done && done()) return Ended::done;
        if (stop.stop_requested()) return Ended::stopped;
        if (clock_.monotonicNow() >= deadline) return Ended::deadline;

        const MonoTime wakeAt = std::min(deadline, scheduler_.nextDue().value_or(deadline));
        std::stop_source wake;
        {
            std::lock_guard lock(wakeMutex_);
            wake_ = &wake;
        }
        if (pendingTasks() == 0) {
            const std::stop_callback forward(stop, [&wake] { wake.request_stop(); });
            waiter_.sleepUntil(wakeAt, wake.get_token());
        }
        std::lock_guard lock(wakeMutex_);
        wake_ = nullptr;
    }
}

bool TerminalLoop::runUntil(MonoTime deadline, std::stop_token stop,
                            const std::function<bool()>& done) {
    return run(deadline, std::move(stop), done) == Ended::done;
}

bool TerminalLoop::sleepUntil(MonoTime deadline, std::stop_token stop) {
    return run(deadline, std::move(stop), {}) == Ended::deadline;
}

} // namespace umbrascope::cli
