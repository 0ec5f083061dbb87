#include "cli/ReplayFeedback.hpp"

#include <chrono>
#include <thread>

namespace umbrascope::cli {

std::unique_ptr<ReplayFeedback> ReplayFeedback::make(TTSLevel level, bool ticks,
                                                     std::string_view speechBackend,
                                                     MainQueue& queue, std::ostream& err) {
    auto speech = level == TTSLevel::off ? std::optional(platform::makeSilentSpeech())
                                         : platform::makeSpeech(speechBackend, queue, err);
    if (!speech) return nullptr;
    if (ticks) {
        speech->engine->start();
        if (const auto problem = speech->engine->deviceProblem(); !problem.empty())
            err << "umbrascope-cli replay: the ticks go nowhere: " << problem << '\n';
    }
    auto fallbackNotice =
        speech->onFallback([&err](const std::string& notice) { err << notice << '\n'; });
    AnnounceState state;
    state.ttsLevel = level;
    state.clickOnMessage = ticks;
    return std::unique_ptr<ReplayFeedback>(
        new ReplayFeedback(std::move(*speech), std::move(fallbackNotice), queue, state));
}

ReplayFeedback::ReplayFeedback(platform::SpeechSetup speech,
                               ObserverList<const std::string&>::Subscription fallbackNotice,
                               MainQueue& queue, AnnounceState state)
    : speech_(std::move(speech)), fallbackNotice_(std::move(fallbackNotice)),
      announcer_(std::move(speech_.synthesizer), queue),
      clickPlayer_(*speech_.engine, SystemClock::instance()), state_(state) {}

ReplayFeedback::~ReplayFeedback() {
    // The click player's buffers and the synthesizer's may still be queued in the mixer.
    speech_.engine->stop();
}

void ReplayFeedback::afterDelivery(const MIDIManager& manager) {
    const auto& messages = manager.messages();
    std::optional<Identifier> newest;
    if (!messages.empty()) newest = messages.back().id;
    if (newest == newest_) return;
    newest_ = newest;
    announceNewMessages(messages, state_, announcer_, clickPlayer_);
}

void ReplayFeedback::finish(ManualQueue& queue) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    do {
        queue.drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (announcer_.busy() && std::chrono::steady_clock::now() < until);
    // The last tick is 12 ms long; leave the device time to play it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

} // namespace umbrascope::cli
