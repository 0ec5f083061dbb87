#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

#include "core/MainQueue.hpp"

namespace umbrascope::testing_support {

// A main queue whose owner runs it in steps: runQueued() runs only the tasks queued when called.
// A main-thread loop that must make progress while other threads keep posting needs this, since
// ManualQueue::drain() may never find the queue empty.
class SteppedQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }

    std::size_t runQueued() {
        std::deque<std::function<void()>> queued;
        {
            std::lock_guard lock(mutex_);
            queued.swap(tasks_);
        }
        for (auto& task : queued)
            task();
        return queued.size();
    }

    std::size_t pending() const {
        std::lock_guard lock(mutex_);
        return tasks_.size();
    }

    // Runs steps until a step finds nothing to run; only once every poster has stopped.
    std::size_t drain() {
        std::size_t ran = 0;
        while (const std::size_t step = runQueued())
            ran += step;
        return ran;
    }

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

// Drains the queue until `done` holds, for at most a minute: for work that real threads post.
template <typename Done>
bool drainUntil(ManualQueue& queue, Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    while (std::chrono::steady_clock::now() < deadline) {
        queue.drain();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

} // namespace umbrascope::testing_support
