#pragma once

#include <atomic>
#include <chrono>

#include "core/Clock.hpp"

namespace umbrascope {

// A clock that moves only when told to; both readings advance together.
class FakeClock final : public Clock {
public:
    WallTime wallNow() const override {
        return WallTime{} + std::chrono::nanoseconds(offsetNs_.load()) + wallEpoch_;
    }
    MonoTime monotonicNow() const override {
        return MonoTime{} + std::chrono::nanoseconds(offsetNs_.load());
    }
    void advance(std::chrono::nanoseconds by) { offsetNs_ += by.count(); }

private:
    std::atomic<long long> offsetNs_{0};
    std::chrono::seconds wallEpoch_{1'800'000'000};
};

} // namespace umbrascope
