#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>

#include "audio/SpeechSynthesizer.hpp"
#include "core/MainQueue.hpp"
#include "core/ObserverList.hpp"

namespace umbrascope {

// Speaks through a primary synthesizer until one of its utterances fails, then, for the rest of
// its life, through a fallback built at that moment. The newest utterance, when it failed or is
// still waiting on the primary and no stop came since, is said again by the fallback, so a
// failing daemon costs a delay and not the words. Each utterance still ends exactly once.
//
// speak(), stopSpeaking() and the queries belong to the main thread, where the switch also
// happens (posted there by the thread that reported the failure). Reports may come from any
// thread; the report handler must not call back into this synthesizer. The queue must outlive it.
class FallbackSynthesizer final : public SpeechSynthesizer {
public:
    // Builds the fallback and sets `notice`, what the observers of fallbackTaken() are told;
    // `why` is the primary's failureReason().
    using Factory = std::function<std::unique_ptr<SpeechSynthesizer>(const std::string& why,
                                                                     std::string& notice)>;

    FallbackSynthesizer(std::unique_ptr<SpeechSynthesizer> primary, Factory makeFallback,
                        MainQueue& mainQueue);
    ~FallbackSynthesizer() override;

    void speak(const Utterance& utterance) override;
    void stopSpeaking() override;
    std::vector<Voice> voices() const override { return active_->voices(); }
    bool hasVoice(const std::string& identifier) const override {
        return active_->hasVoice(identifier);
    }
    float minimumRate() const override { return active_->minimumRate(); }
    float maximumRate() const override { return active_->maximumRate(); }
    float defaultRate() const override { return active_->defaultRate(); }

    bool fellBack() const { return fallback_ != nullptr; }
    // The synthesizer speaking now: the primary until the switch.
    SpeechSynthesizer& active() const { return *active_; }
    // Told once, on the main thread, when the fallback takes over.
    ObserverList<const std::string&>& fallbackTaken() { return fallbackTaken_; }

private:
    enum class From : std::uint8_t { primary, fallback };

    std::unique_ptr<SpeechSynthesizer> primary_;
    std::unique_ptr<SpeechSynthesizer> fallback_;
    SpeechSynthesizer* active_;
    Factory makeFallback_;
    MainQueue& mainQueue_;
    std::shared_ptr<FallbackSynthesizer*> self_; // posted tasks find it gone after destruction
    bool switched_ = false;                      // main thread
    ObserverList<const std::string&> fallbackTaken_;

    std::mutex mutex_;
    std::map<std::uint64_t, bool> open_; // handed over and not yet ended: whether started was told
    std::optional<Utterance> newest_;    // the last one handed over, until it ends or a stop
    std::optional<Utterance> failedNewest_; // the newest, failed on the primary: to say again
    std::set<std::uint64_t> moved_;         // given to the fallback: the primary's end is not told
    bool primaryFailed_ = false;

    void handle(From from, std::uint64_t id, SpeechReport kind);
    void pass(std::uint64_t id, SpeechReport kind); // under mutex_
    void switchToFallback();
};

} // namespace umbrascope
