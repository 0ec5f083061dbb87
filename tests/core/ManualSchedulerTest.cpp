#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/ManualScheduler.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;

struct Fixture {
    FakeClock clock;
    ManualScheduler scheduler{clock};
    std::vector<std::string> ran;
    std::vector<std::unique_ptr<ScheduledTask>> handles;

    void defer(Duration delay, std::string name) {
        handles.push_back(scheduler.defer(delay, [this, name] { ran.push_back(name); }));
    }
    void at(Duration by) {
        clock.advance(by);
        scheduler.runDue();
    }
};

TEST(ManualScheduler, RunsDueTasksInTimeOrderThenSchedulingOrder) {
    Fixture f;
    f.defer(80ms, "late");
    f.defer(10ms, "early");
    f.defer(50ms, "middleA");
    f.defer(50ms, "middleB");
    f.at(9ms);
    EXPECT_TRUE(f.ran.empty()) << "nothing before its time";
    f.at(100ms);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"early", "middleA", "middleB", "late"}));
    f.at(1s);
    EXPECT_EQ(f.ran.size(), 4u) << "a deferred task runs once";
    EXPECT_EQ(f.scheduler.pending(), 0u);
}

TEST(ManualScheduler, CancellingKeepsATaskFromRunning) {
    struct Case {
        const char* name;
        void (*cancel)(Fixture&);
    };
    const Case cases[] = {
        {"cancel", [](Fixture& f) { f.handles[0]->cancel(); }},
        {"destroyHandle", [](Fixture& f) { f.handles[0].reset(); }},
        // The first task to run cancels the other, which is due in the same pass.
        {"cancelledByAnEarlierTaskOfThePass",
         [](Fixture& f) {
             f.handles.push_back(f.scheduler.defer(1ms, [&f] { f.handles[0]->cancel(); }));
         }},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.defer(5ms, "victim");
        c.cancel(f);
        f.at(10ms);
        EXPECT_TRUE(f.ran.empty()) << c.name;
        EXPECT_EQ(f.scheduler.pending(), 0u) << c.name;
    }
}

TEST(ManualScheduler, ATaskMayEndItsOwnHandleWhileRunning) {
    Fixture f;
    std::unique_ptr<ScheduledTask> self;
    int runs = 0;
    self = f.scheduler.repeat(10ms, [&] {
        ++runs;
        self.reset(); // destroys the handle of the task that is running
    });
    f.at(10ms);
    f.at(10ms);
    EXPECT_EQ(runs, 1);
}

TEST(ManualScheduler, RepeatsEachIntervalAndRunsOnceWhenBehind) {
    Fixture f;
    std::vector<MonoTime> ticks;
    auto timer = f.scheduler.repeat(500ms, [&] { ticks.push_back(f.clock.monotonicNow()); });
    const MonoTime start = f.clock.monotonicNow();
    f.at(499ms);
    EXPECT_TRUE(ticks.empty());
    f.at(1ms);
    f.at(500ms);
    ASSERT_EQ(ticks.size(), 2u);
    EXPECT_EQ(ticks[1] - start, 1000ms);
    f.at(1700ms); // at 2.7 s: the ticks of 1.5, 2.0 and 2.5 s collapse into one
    EXPECT_EQ(ticks.size(), 3u);
    EXPECT_EQ(f.scheduler.nextDue(), start + 3000ms) << "the phase is kept";
    timer.reset();
    f.at(10s);
    EXPECT_EQ(ticks.size(), 3u);
}

TEST(ManualScheduler, TasksScheduledWhileRunningRunWhenDue) {
    Fixture f;
    auto outer = f.scheduler.defer(10ms, [&f] {
        f.ran.push_back("outer");
        f.defer(0ms, "now");
        f.defer(5ms, "later");
    });
    f.at(10ms);
    EXPECT_EQ(f.ran, (std::vector<std::string>{"outer", "now"}));
    f.at(5ms);
    EXPECT_EQ(f.ran.back(), "later");
}

TEST(ManualScheduler, AHandleMayOutliveItsScheduler) {
    FakeClock clock;
    std::unique_ptr<ScheduledTask> handle;
    {
        ManualScheduler scheduler(clock);
        handle = scheduler.defer(1ms, [] {});
    }
    handle->cancel();
    handle.reset();
}

} // namespace
} // namespace umbrascope
