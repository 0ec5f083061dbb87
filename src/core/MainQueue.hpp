#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

namespace umbrascope {

// The main thread's work queue. Any thread may post; tasks run on the main thread in post order.
// The Qt layer adapts this onto its event loop; the CLI and the tests drain a ManualQueue by hand.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void post(std::function<void()> task) = 0;
};

// A queue drained explicitly by its owner. post() is thread-safe; drain() belongs to one thread.
class ManualQueue final : public MainQueue {
public:
    void post(std::function<void()> task) override;

    // Runs queued tasks, including tasks they post, until the queue is empty. Returns how many ran.
    std::size_t drain();
    std::size_t pending() const;

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> tasks_;
};

} // namespace umbrascope
