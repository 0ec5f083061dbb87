#include "cli/TerminalLoop.hpp"

#include <algorithm>

namespace umbrascope::cli {

TerminalLoop::TerminalLoop(const Clock& clock, Sleeper& waiter)
    : clock_(clock), waiter_(waiter), scheduler_(clock) {}

void TerminalLoop::post(std::function<void()> task) {
    queue_.post(std::move(task));
    // After the push: a wait that began before it is ended here, one that begins after it sees
    // the task before it waits.
    std::lock_guard lock(wakeMutex_);
    if (wake_) wake_->request_stop();
}

void TerminalLoop::runPending() {
    // drain() runs the tasks that tasks post; a timer may post more, or set one that is due.
    queue_.drain();
    while (scheduler_.runDue() > 0)
        queue_.drain();
}

TerminalLoop::Ended TerminalLoop::run(MonoTime deadline, std::stop_token stop,
                                      const std::function<bool()>& done) {
    for (;;) {
        runPending();
        if (done && done()) return Ended::done;
        if (stop.stop_requested()) return Ended::stopped;
        if (clock_.monotonicNow() >= deadline) return Ended::deadline;

        const MonoTime wakeAt = std::min(deadline, scheduler_.nextDue().value_or(deadline));
        std::stop_source wake;
        {
            std::lock_guard lock(wakeMutex_);
            wake_ = &wake;
        }
        if (queue_.pending() == 0) {
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
