#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/ManualScheduler.hpp"
#include "support/FakeClock.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;

TEST(ManualScheduler, RunsDueTasksInTimeOrderOnceUnlessCancelled) {
    FakeClock clock;
    ManualScheduler scheduler(clock);
    std::string ran;
    std::vector<std::unique_ptr<ScheduledTask>> handles;
    const auto defer = [&](Duration delay, char name) {
        handles.push_back(scheduler.defer(delay, [&ran, name] { ran += name; }));
    };
    defer(80ms, 'd');
    defer(10ms, 'a');
    defer(50ms, 'b');
    defer(50ms, 'c'); // same time: scheduling order
    defer(60ms, 'x');
    defer(70ms, 'y');
    handles[4]->cancel();
    handles[5].reset(); // destroying the handle cancels too
    // The first task cancels a later one of the same pass and schedules one that is due now.
    handles.push_back(scheduler.defer(1ms, [&] {
        handles[0]->cancel();
        defer(0ms, 'n');
    }));
    clock.advance(9ms);
    scheduler.runDue();
    EXPECT_EQ(ran, "n") << "a task that becomes due while the pass runs, runs in it";
    clock.advance(1s);
    scheduler.runDue();
    scheduler.runDue();
    EXPECT_EQ(ran, "nabc");
    EXPECT_EQ(scheduler.pending(), 0u);
}

TEST(ManualScheduler, RepeatsRunOnceWhenBehindAndMayEndThemselves) {
    FakeClock clock;
    ManualScheduler scheduler(clock);
    std::vector<MonoTime> ticks;
    const MonoTime start = clock.monotonicNow();
    std::unique_ptr<ScheduledTask> timer = scheduler.repeat(500ms, [&] {
        ticks.push_back(clock.monotonicNow());
        if (ticks.size() == 4) timer.reset(); // its own handle, while it runs
    });
    for (const auto step : {499ms, 1ms, 500ms, 1700ms, 300ms, 10000ms}) {
        clock.advance(step);
        scheduler.runDue();
    }
    // 0.5 s, 1.0 s, one run for the ticks of 1.5, 2.0 and 2.5 s, then on its phase at 3.0 s
    EXPECT_EQ(ticks, (std::vector<MonoTime>{start + 500ms, start + 1000ms, start + 2700ms,
                                            start + 3000ms}));

    std::unique_ptr<ScheduledTask> outlived;
    {
        ManualScheduler gone(clock);
        outlived = gone.defer(1ms, [] {});
    }
    outlived->cancel(); // a handle may outlive its scheduler
}

} // namespace
} // namespace umbrascope
