#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/SpeechSynthesizer.hpp"
#include "core/MainQueue.hpp"

namespace umbrascope {

// The one service that speaks. No queue: at most one utterance is current; a new one is dropped
// while busy (speakIfIdle) or cuts in (speakNow).
//
// Main thread only. Calls into the synthesizer are posted to the main queue, and its reports are
// posted back and matched to `currentUtterance` by identity, so late reports of replaced
// utterances are harmless. The queue must outlive the announcer.
class SpeechAnnouncer {
public:
    SpeechAnnouncer(std::unique_ptr<SpeechSynthesizer> synthesizer, MainQueue& mainQueue);
    ~SpeechAnnouncer();
    SpeechAnnouncer(const SpeechAnnouncer&) = delete;
    SpeechAnnouncer& operator=(const SpeechAnnouncer&) = delete;

    float rate() const { return rate_; }
    float volume() const { return volume_; }
    bool isSpeaking() const { return isSpeaking_; }
    bool busy() const { return busy_; }
    const std::optional<Utterance>& currentUtterance() const { return currentUtterance_; }
    const std::map<std::int32_t, std::string>& voiceForSource() const { return voiceForSource_; }

    void setRate(float rate);
    void setVolume(float volume);
    // None removes the entry: the source speaks in the default voice again.
    void setVoiceForSource(std::int32_t sourceID, std::optional<std::string> voiceIdentifier);

    Utterance makeUtterance(std::string text, std::optional<std::int32_t> sourceID);
    // The source's voice when it names an installed one; none means the default voice.
    std::optional<std::string> voiceFor(std::optional<std::int32_t> sourceID) const;

    void speakIfIdle(std::string text, std::optional<std::int32_t> sourceID = std::nullopt);
    void speakNow(std::string text, std::optional<std::int32_t> sourceID = std::nullopt);
    void stop();

    // English voices, sorted by name.
    std::vector<Voice> availableVoices() const;
    void adjustRate(float delta);
    void adjustVolume(float delta);

    // Called after any change of rate, volume, isSpeaking or voiceForSource.
    void setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

    SpeechSynthesizer& synthesizer() { return *synthesizer_; }

private:
    std::unique_ptr<SpeechSynthesizer> synthesizer_;
    MainQueue& mainQueue_;
    // Posted tasks hold a weak reference, so those that run after destruction do nothing.
    std::shared_ptr<SpeechAnnouncer*> self_;
    float rate_;
    float volume_ = 1.0f;
    bool isSpeaking_ = false;
    std::map<std::int32_t, std::string> voiceForSource_;
    bool busy_ = false;
    std::optional<Utterance> currentUtterance_;
    std::uint64_t nextUtteranceID_ = 1;
    std::function<void()> observer_;

    void handleReport(std::uint64_t utteranceID, SpeechReport kind);
    void setSpeaking(bool speaking);
    void changed();
    void post(std::function<void(SpeechSynthesizer&)> call);
};

} // namespace umbrascope
