#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "audio/AudioOutput.hpp"
#include "audio/Mixer.hpp"

namespace umbrascope::testing_support {

// Pulls the mixer faster than real time on its own thread and keeps the loudest sample of each
// channel and how many frames were non-silent.
class CapturingOutput final : public AudioOutput {
public:
    ~CapturingOutput() override { stop(); }
    bool start(Mixer& mixer) override {
        running_ = true;
        thread_ = std::thread([this, &mixer] {
            std::array<float, 2 * 512> block{};
            while (running_) {
                mixer.render(block.data(), 512);
                for (std::size_t i = 0; i < block.size(); i += 2) {
                    store(leftPeak, std::abs(block[i]));
                    store(rightPeak, std::abs(block[i + 1]));
                    if (block[i] != 0.0f || block[i + 1] != 0.0f) ++loudFrames;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(500));
            }
        });
        return true;
    }
    void stop() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }

    std::atomic<float> leftPeak{0.0f};
    std::atomic<float> rightPeak{0.0f};
    std::atomic<long> loudFrames{0};

private:
    std::atomic<bool> running_{false};
    std::thread thread_;
    static void store(std::atomic<float>& peak, float value) {
        if (value > peak.load(std::memory_order_relaxed)) peak.store(value);
    }
};

} // namespace umbrascope::testing_support
