#pragma once

#include <array>
#include <atomic>
#include <cstddef>

namespace umbrascope {

// A bounded single-producer/single-consumer queue. push() belongs to one thread and pop() to one
// other; neither locks nor allocates, so the audio thread may use either end.
template <typename T, std::size_t Capacity>
class SpscRing {
    static_assert(Capacity >= 2 && (Capacity & (Capacity - 1)) == 0, "power of two");

public:
    // False when full: the value is not stored.
    bool push(const T& value) {
        const auto head = head_.load(std::memory_order_relaxed);
        if (head - tail_.load(std::memory_order_acquire) == Capacity) return false;
        slots_[head & (Capacity - 1)] = value;
        head_.store(head + 1, std::memory_order_release);
        return true;
    }

    bool pop(T& value) {
        const auto tail = tail_.load(std::memory_order_relaxed);
        if (head_.load(std::memory_order_acquire) == tail) return false;
        value = slots_[tail & (Capacity - 1)];
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }

    // The consumer's view of the next value, without taking it.
    const T* peek() const {
        const auto tail = tail_.load(std::memory_order_relaxed);
        if (head_.load(std::memory_order_acquire) == tail) return nullptr;
        return &slots_[tail & (Capacity - 1)];
    }

    std::size_t sizeApprox() const {
        return head_.load(std::memory_order_acquire) - tail_.load(std::memory_order_acquire);
    }

private:
    std::array<T, Capacity> slots_{};
    alignas(64) std::atomic<std::size_t> head_{0};
    alignas(64) std::atomic<std::size_t> tail_{0};
};

} // namespace umbrascope
