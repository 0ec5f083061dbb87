#pragma once

#include <cstdint>

#include "audio/AudioOutput.hpp"

namespace umbrascope {

// The default SDL2 audio device, float stereo at 44.1 kHz, pulled by SDL's callback thread.
// start() and stop() belong to one control thread.
class SdlAudioOutput final : public AudioOutput {
public:
    ~SdlAudioOutput() override;
    bool start(Mixer& mixer) override;
    void stop() override;

private:
    std::uint32_t device_ = 0;
    bool initialized_ = false;
};

} // namespace umbrascope
