#include <QObject>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>
#include <thread>
#include <vector>

#include "UiTestSupport.hpp"
#include "ui/QtMainQueue.hpp"
#include "ui/QtScheduler.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using test::waitFor;

TEST(QtMainQueue, RunsTasksFromEveryThreadOnTheMainThreadInPostOrder) {
    QtMainQueue queue;
    constexpr int perThread = 500;
    std::vector<int> ran[2];
    std::atomic<bool> offMainThread{false};
    const auto mainThread = std::this_thread::get_id();
    std::vector<std::thread> threads;
    for (int t = 0; t < 2; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < perThread; ++i)
                queue.post([&, t, i] {
                    offMainThread = offMainThread || std::this_thread::get_id() != mainThread;
                    ran[t].push_back(i);
                });
        });
    for (auto& thread : threads)
        thread.join();
    bool last = false;
    queue.post([&] { last = ran[0].size() == perThread && ran[1].size() == perThread; });
    ASSERT_TRUE(waitFor([&] { return ran[0].size() + ran[1].size() == 2 * perThread; }));
    ASSERT_TRUE(waitFor([&] { return last; })) << "posted after both threads: runs last";
    EXPECT_FALSE(offMainThread);
    for (const auto& values : ran)
        EXPECT_TRUE(std::ranges::is_sorted(values)) << "each thread's tasks in its order";
}

TEST(QtMainQueue, ABacklogOfSlowTasksLetsOtherEventsInBetweenAndKeepsItsOrder) {
    QtMainQueue queue;
    constexpr int tasks = 100;
    std::vector<int> ran;
    for (int i = 0; i < tasks; ++i)
        queue.post([&ran, i] {
            const auto until = std::chrono::steady_clock::now() + 1ms;
            while (std::chrono::steady_clock::now() < until) {
            }
            ran.push_back(i);
        });
    // Posted after the backlog's wake-up: it runs once a slice of the backlog has run.
    std::optional<std::size_t> ranBeforeOther;
    QObject context;
    QMetaObject::invokeMethod(
        &context, [&] { ranBeforeOther = ran.size(); }, Qt::QueuedConnection);
    ASSERT_TRUE(waitFor([&] { return ran.size() == tasks; }));
    ASSERT_TRUE(ranBeforeOther.has_value());
    EXPECT_GT(*ranBeforeOther, 0u);
    EXPECT_LE(*ranBeforeOther, static_cast<std::size_t>(QtMainQueue::sliceMilliseconds) + 1);
    for (int i = 0; i < tasks; ++i)
        EXPECT_EQ(ran[static_cast<std::size_t>(i)], i);
}

TEST(QtScheduler, DeferredTasksRunOnceInTimeOrderUnlessCancelled) {
    QtScheduler scheduler;
    std::vector<char> ran;
    auto late = scheduler.defer(60ms, [&] { ran.push_back('b'); });
    auto early = scheduler.defer(5ms, [&] { ran.push_back('a'); });
    auto cancelled = scheduler.defer(1ms, [&] { ran.push_back('x'); });
    cancelled->cancel();
    {
        auto dropped = scheduler.defer(1ms, [&] { ran.push_back('y'); });
    } // destroying the handle cancels the task
    ASSERT_TRUE(waitFor([&] { return ran.size() >= 2; }));
    ASSERT_TRUE(waitFor([&] { return scheduler.pendingCount() == 0; }));
    EXPECT_EQ(ran, (std::vector<char>{'a', 'b'}));
    late->cancel(); // after it ran: harmless
}

TEST(QtScheduler, ARepeatingTaskMayCancelItselfAndHandlesMayOutliveTheScheduler) {
    std::unique_ptr<ScheduledTask> handle;
    {
        QtScheduler scheduler;
        int ticks = 0;
        handle = scheduler.repeat(2ms, [&] {
            if (++ticks == 3) handle.reset(); // the handle dies inside its own run
        });
        ASSERT_TRUE(waitFor([&] { return scheduler.pendingCount() == 0; }));
        EXPECT_EQ(ticks, 3);
        handle = scheduler.defer(1h, [] {});
    }
    handle->cancel();
    handle.reset();
}

} // namespace
} // namespace umbrascope
