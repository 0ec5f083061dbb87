#pragma once

#include <cstdint>
#include <string>

#include "audio/AudioOutput.hpp"
#include "core/OwnerThread.hpp"

namespace umbrascope {

// The default SDL2 audio device, float stereo at 44.1 kHz, pulled by SDL's callback thread.
// start() and stop() belong to one control thread.
class SDLAudioOutput final : public AudioOutput {
public:
    ~SDLAudioOutput() override;
    bool start(Mixer& mixer) override;
    void stop() override;
    // SDL's own reason, or that its dummy driver was chosen: it opens and plays nothing, so it
    // counts as no device.
    std::string problem() const override { return problem_; }

    // What SDL's callback is given.
    struct Puller {
        Mixer* mixer = nullptr;
        OwnerThread starter;
    };

private:
    Puller puller_;
    std::string problem_;
    std::uint32_t device_ = 0;
    bool initialized_ = false;
};

} // namespace umbrascope
