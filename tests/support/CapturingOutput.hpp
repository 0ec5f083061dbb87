#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>

#include "audio/AudioOutput.hpp"
#include "audio/Mixer.hpp"

namespace umbrascope::testing_support {

// An output that renders only when the test pulls, so how far playback has got is the test's
// choice and never the scheduler's. Keeps the loudest sample of each channel and how many frames
// were non-silent. pull() belongs to one thread, which acts as the audio thread.
class CapturingOutput final : public AudioOutput {
public:
    bool start(Mixer& mixer) override {
        mixer_.store(&mixer);
        return true;
    }
    void stop() override { mixer_.store(nullptr); }

    // Renders one block; false while the engine has not started this output.
    bool pull() {
        Mixer* mixer = mixer_.load();
        if (!mixer) return false;
        std::array<float, 2 * 512> block{};
        mixer->render(block.data(), 512);
        for (std::size_t i = 0; i < block.size(); i += 2) {
            leftPeak = std::max(leftPeak, std::abs(block[i]));
            rightPeak = std::max(rightPeak, std::abs(block[i + 1]));
            if (block[i] != 0.0f || block[i + 1] != 0.0f) ++loudFrames;
        }
        return true;
    }

    // Read by the pulling thread only.
    float leftPeak = 0.0f;
    float rightPeak = 0.0f;
    long loudFrames = 0;

private:
    std::atomic<Mixer*> mixer_{nullptr};
};

} // namespace umbrascope::testing_support
