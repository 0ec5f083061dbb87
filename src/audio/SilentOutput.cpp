#include "audio/SilentOutput.hpp"

#include <array>
#include <chrono>

#include "audio/Mixer.hpp"

namespace umbrascope {

namespace {
constexpr std::size_t blockFrames = 512;
}

SilentOutput::~SilentOutput() {
    stop();
}

bool SilentOutput::start(Mixer& mixer) {
    if (running_.exchange(true)) return true;
    thread_ = std::thread([this, &mixer] {
        std::array<float, blockFrames * 2> block{};
        const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(blockFrames / Mixer::sampleRate));
        auto next = std::chrono::steady_clock::now();
        while (running_.load(std::memory_order_relaxed)) {
            mixer.render(block.data(), blockFrames);
            next += period;
            std::this_thread::sleep_until(next);
        }
    });
    return true;
}

void SilentOutput::stop() {
    running_ = false;
    if (thread_.joinable()) thread_.join();
}

} // namespace umbrascope
