#pragma once

#include <memory>
#include <mutex>

#include "audio/AudioOutput.hpp"
#include "audio/Mixer.hpp"

namespace umbrascope {

// The mixer and the device that plays it. Started on first use; when the device cannot be opened
// the fallback output (if any) runs instead, so sounds stay silent but still pass in real time.
// Any control thread may call in, never the audio thread: stop() waits for it.
class AudioEngine {
public:
    explicit AudioEngine(std::unique_ptr<AudioOutput> output,
                         std::unique_ptr<AudioOutput> fallback = nullptr);
    ~AudioEngine();
    AudioEngine(const AudioEngine&) = delete;
    AudioEngine& operator=(const AudioEngine&) = delete;

    Mixer& mixer() { return mixer_; }
    bool isRunning() const;
    // Idempotent; false when neither output started.
    bool start();
    // Stops pulling the mixer for good: once it returns, no buffer is read any more, so the
    // players whose buffers are queued may go, and start() does nothing. The destructor does it
    // too.
    void stop();
    // True when the primary output is the one running.
    bool deviceOpened() const;
    // Why the primary output is not running, once start() has been tried; empty while it runs.
    std::string deviceProblem() const;

private:
    Mixer mixer_;
    std::unique_ptr<AudioOutput> output_;
    std::unique_ptr<AudioOutput> fallback_;
    mutable std::mutex mutex_;
    AudioOutput* running_ = nullptr;
    bool stopped_ = false;
};

} // namespace umbrascope
