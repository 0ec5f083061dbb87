#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "core/Clock.hpp"
#include "core/Scheduler.hpp"

namespace umbrascope {

// A scheduler that runs nothing by itself: its owner calls runDue() after moving the clock, as the
// command line's loop and the tests do. Due times come from the clock's monotonic time. Main
// thread only; the clock must outlive the scheduler.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(const Clock& clock);
    ~ManualScheduler() override;
    ManualScheduler(const ManualScheduler&) = delete;
    ManualScheduler& operator=(const ManualScheduler&) = delete;

    [[nodiscard]] std::unique_ptr<ScheduledTask> defer(Duration delay,
                                                       std::function<void()> task) override;
    // A repeating task that has fallen behind by several intervals runs once and keeps its phase,
    // as a platform timer does.
    [[nodiscard]] std::unique_ptr<ScheduledTask> repeat(Duration interval,
                                                        std::function<void()> tick) override;

    // Runs every task due by now, earliest first (equal times in the order they were scheduled),
    // including tasks that become due while it runs. Returns how many ran.
    std::size_t runDue();

    // The earliest due time of a task that has not been cancelled.
    std::optional<MonoTime> nextDue() const;
    std::size_t pending() const;

private:
    struct Entry {
        MonoTime due;
        Duration interval; // zero for a task that runs once
        std::uint64_t order;
        std::function<void()> task;
        bool cancelled = false;
    };
    class Handle;

    std::unique_ptr<ScheduledTask> add(Duration delay, Duration interval,
                                       std::function<void()> task);
    // The earliest live entry that is due by `now`, or none.
    std::shared_ptr<Entry> takeDue(MonoTime now);

    const Clock& clock_;
    std::vector<std::shared_ptr<Entry>> entries_;
    std::uint64_t nextOrder_ = 0;
    std::size_t purgeAt_ = 64;
};

} // namespace umbrascope
