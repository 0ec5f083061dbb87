#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "audio/FallbackSynthesizer.hpp"
#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope::platform {

struct SpeechSetup;

// A synthesizer whose voice list is loaded once, on a thread of its own, from the moment it is
// made: the list is there before a window asks for it, and listing never holds up speech. A
// daemon can take seconds to list thousands of voices. Until the list is there, no voice is
// listed or known, so every utterance speaks in the default voice. Speaking goes to the wrapped
// synthesizer; once `fallback` (inside it, if any) has taken over, the voices are its too.
//
// Main thread, like any synthesizer; the loading thread only fills the list. A lister that never
// returns is left behind at destruction with the state it holds.
class PreloadedVoices final : public SpeechSynthesizer {
public:
    using Lister = std::function<std::vector<Voice>()>;

    PreloadedVoices(std::unique_ptr<SpeechSynthesizer> synthesizer, Lister lister,
                    const FallbackSynthesizer* fallback = nullptr);
    ~PreloadedVoices() override;

    void speak(const Utterance& utterance) override;
    void stopSpeaking() override;
    std::vector<Voice> voices() const override;
    bool hasVoice(const std::string& identifier) const override;
    // Called on the loading thread once the list is there.
    void setVoicesHandler(VoicesHandler handler) override;
    std::string failureReason() const override { return synthesizer_->failureReason(); }
    float minimumRate() const override { return synthesizer_->minimumRate(); }
    float maximumRate() const override { return synthesizer_->maximumRate(); }
    float defaultRate() const override { return synthesizer_->defaultRate(); }

    // Waits (bounded) for the list; true once it is there.
    bool waitUntilLoaded(std::chrono::milliseconds timeout) const;

    struct Shared;

private:
    bool listsOwnVoices() const { return !fallback_ || !fallback_->fellBack(); }

    std::unique_ptr<SpeechSynthesizer> synthesizer_;
    const FallbackSynthesizer* fallback_;
    std::shared_ptr<Shared> shared_;
};

// For the window: a speech-dispatcher setup starts loading its voices now, off the main thread.
void preloadVoices(SpeechSetup& setup);

} // namespace umbrascope::platform
