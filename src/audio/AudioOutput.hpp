#pragma once

#include <string>

namespace umbrascope {

class Mixer;

// A sound device that pulls stereo frames from a mixer on its own thread.
class AudioOutput {
public:
    virtual ~AudioOutput() = default;
    // Opens the device and starts pulling. False when no device could be opened.
    virtual bool start(Mixer& mixer) = 0;
    // Stops pulling; returns once the mixer is no longer called. Safe when not started.
    virtual void stop() = 0;
    // Why the last start() failed, in words for the user; empty when it did not.
    virtual std::string problem() const { return {}; }
};

} // namespace umbrascope
