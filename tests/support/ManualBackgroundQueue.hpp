#pragma once

#include <cstddef>
#include <deque>
#include <functional>

#include "app/BackgroundQueue.hpp"

namespace umbrascope::testing_support {

// A background queue whose tasks run when the test says so, on the test's thread.
class ManualBackgroundQueue final : public BackgroundQueue {
public:
    void post(std::function<void()> task) override { tasks_.push_back(std::move(task)); }
    std::size_t runAll() {
        std::size_t ran = 0;
        for (; !tasks_.empty(); ++ran) {
            auto task = std::move(tasks_.front());
            tasks_.pop_front();
            task();
        }
        return ran;
    }

private:
    std::deque<std::function<void()>> tasks_;
};

} // namespace umbrascope::testing_support
