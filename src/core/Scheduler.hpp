#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace umbrascope {

using Duration = std::chrono::steady_clock::duration;

// A deferred or repeating main-thread task. Cancelling it, or destroying the handle, keeps it from
// running again; cancelling a task that already ran, or from inside its own run, is harmless.
class ScheduledTask {
public:
    virtual ~ScheduledTask() = default;
    virtual void cancel() = 0;
};

// Time-driven work on the main thread: the debounced scroll and the idle timer. The Qt layer runs
// it on its event loop; the command line and the tests drive a manual scheduler with a fake clock.
// Main thread only, like everything it runs.
class Scheduler {
public:
    virtual ~Scheduler() = default;

    // Runs `task` once, `delay` from now, unless the handle is cancelled or destroyed first.
    [[nodiscard]] virtual std::unique_ptr<ScheduledTask> defer(Duration delay,
                                                               std::function<void()> task) = 0;
    // Runs `tick` every `interval` until the handle is cancelled or destroyed.
    [[nodiscard]] virtual std::unique_ptr<ScheduledTask> repeat(Duration interval,
                                                                std::function<void()> tick) = 0;
};

} // namespace umbrascope
