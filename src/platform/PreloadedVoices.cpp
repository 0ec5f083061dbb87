#include "platform/PreloadedVoices.hpp"

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "platform/SpeechSetup.hpp"

#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherVoiceList.hpp"
#endif

namespace umbrascope::platform {

struct PreloadedVoices::Shared {
    mutable std::mutex mutex;
    mutable std::condition_variable loadedChanged;
    bool loaded = false;
    std::vector<Voice> voices;
    std::unordered_set<std::string> identifiers;
    VoicesHandler onLoaded; // cleared when the synthesizer goes
};

PreloadedVoices::PreloadedVoices(std::unique_ptr<SpeechSynthesizer> synthesizer, Lister lister,
                                 const FallbackSynthesizer* fallback)
    : synthesizer_(std::move(synthesizer)), fallback_(fallback),
      shared_(std::make_shared<Shared>()) {
    synthesizer_->setReportHandler(
        [this](std::uint64_t id, SpeechReport kind) { report(id, kind); });
    std::thread([shared = shared_, lister = std::move(lister)] {
        std::vector<Voice> found = lister();
        std::unordered_set<std::string> identifiers;
        for (const Voice& voice : found)
            identifiers.insert(voice.identifier);
        std::lock_guard lock(shared->mutex);
        shared->voices = std::move(found);
        shared->identifiers = std::move(identifiers);
        shared->loaded = true;
        if (shared->onLoaded) shared->onLoaded();
        shared->loadedChanged.notify_all();
    }).detach();
}

// The wrapped synthesizer goes first, and its last reports still find this one's handler.
PreloadedVoices::~PreloadedVoices() {
    std::lock_guard lock(shared_->mutex);
    shared_->onLoaded = nullptr;
}

void PreloadedVoices::setVoicesHandler(VoicesHandler handler) {
    std::lock_guard lock(shared_->mutex);
    shared_->onLoaded = std::move(handler);
}

void PreloadedVoices::speak(const Utterance& utterance) {
    synthesizer_->speak(utterance);
}

void PreloadedVoices::stopSpeaking() {
    synthesizer_->stopSpeaking();
}

std::vector<Voice> PreloadedVoices::voices() const {
    if (!listsOwnVoices()) return synthesizer_->voices();
    std::lock_guard lock(shared_->mutex);
    return shared_->voices;
}

bool PreloadedVoices::hasVoice(const std::string& identifier) const {
    if (!listsOwnVoices()) return synthesizer_->hasVoice(identifier);
    std::lock_guard lock(shared_->mutex);
    return shared_->identifiers.contains(identifier);
}

bool PreloadedVoices::waitUntilLoaded(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(shared_->mutex);
    return shared_->loadedChanged.wait_for(lock, timeout, [&] { return shared_->loaded; });
}

void preloadVoices([[maybe_unused]] SpeechSetup& setup) {
#ifdef HAVE_UMBRASCOPE_SPEECHD
    if (setup.backend != SpeechBackend::speechd) return;
    setup.synthesizer = std::make_unique<PreloadedVoices>(
        std::move(setup.synthesizer), listSpeechDispatcherVoices, setup.fallback);
#endif
}

} // namespace umbrascope::platform
