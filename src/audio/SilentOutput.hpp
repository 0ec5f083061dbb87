#pragma once

#include <atomic>
#include <thread>

#include "audio/AudioOutput.hpp"

namespace umbrascope {

// Pulls the mixer at the real-time pace and discards the frames. Stands in for a missing device so
// queued sounds still end (and report that they ended) when they would have been heard.
class SilentOutput final : public AudioOutput {
public:
    ~SilentOutput() override;
    bool start(Mixer& mixer) override;
    void stop() override;

private:
    std::thread thread_;
    std::atomic<bool> running_{false};
};

} // namespace umbrascope
