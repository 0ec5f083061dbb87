#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "core/MainQueue.hpp"

class QObject;

namespace umbrascope {

// Runs posted tasks on the Qt event loop of the thread that created it (the main thread), in post
// order. Any thread may post. It must outlive every thread that posts to it; tasks still queued
// when it is destroyed are dropped.
//
// A burst of posts costs one wake-up of the event loop, not one event each, and the loop runs
// tasks for at most `sliceMilliseconds` before it attends to timers and painting again, so a
// backlog never holds the window still.
class QtMainQueue final : public MainQueue {
public:
    static constexpr int sliceMilliseconds = 8;

    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(std::function<void()> task) override;

private:
    class Receiver;
    void runSlice();

    std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
    bool wakeQueued_ = false; // a wake-up is on its way or tasks are running
    Receiver* receiver_;
};

} // namespace umbrascope
