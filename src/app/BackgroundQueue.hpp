#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace umbrascope {

// Work that must stay off the main thread (file export). Tests inject a queue they run by hand.
class BackgroundQueue {
public:
    virtual ~BackgroundQueue() = default;
    virtual void post(std::function<void()> task) = 0;
};

// One worker thread running tasks in post order. post() is thread-safe. The destructor lets the
// queued tasks finish, then joins, so an export under way when the window closes still completes.
class WorkerThreadQueue final : public BackgroundQueue {
public:
    WorkerThreadQueue();
    ~WorkerThreadQueue() override;
    WorkerThreadQueue(const WorkerThreadQueue&) = delete;
    WorkerThreadQueue& operator=(const WorkerThreadQueue&) = delete;

    void post(std::function<void()> task) override;

private:
    void run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::thread worker_; // last: starts after the members it uses exist
};

} // namespace umbrascope
