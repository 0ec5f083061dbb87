#include "audio/AudioEngine.hpp"

namespace umbrascope {

AudioEngine::AudioEngine(std::unique_ptr<AudioOutput> output, std::unique_ptr<AudioOutput> fallback)
    : output_(std::move(output)), fallback_(std::move(fallback)) {}

AudioEngine::~AudioEngine() {
    // The outputs call into the mixer from their threads: stop them while it still exists.
    stop();
}

void AudioEngine::stop() {
    std::lock_guard lock(mutex_);
    if (running_) running_->stop();
    running_ = nullptr;
    stopped_ = true;
}

bool AudioEngine::isRunning() const {
    std::lock_guard lock(mutex_);
    return running_ != nullptr;
}

bool AudioEngine::start() {
    std::lock_guard lock(mutex_);
    if (running_) return true;
    if (stopped_) return false;
    if (output_ && output_->start(mixer_))
        running_ = output_.get();
    else if (fallback_ && fallback_->start(mixer_))
        running_ = fallback_.get();
    return running_ != nullptr;
}

std::string AudioEngine::deviceProblem() const {
    std::lock_guard lock(mutex_);
    if (running_ != nullptr && running_ == output_.get()) return {};
    if (!output_) return "no audio output was built in";
    return output_->problem();
}

bool AudioEngine::deviceOpened() const {
    std::lock_guard lock(mutex_);
    return running_ != nullptr && running_ == output_.get();
}

} // namespace umbrascope
