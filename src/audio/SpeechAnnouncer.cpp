#include "audio/SpeechAnnouncer.hpp"

#include <algorithm>

namespace umbrascope {

SpeechAnnouncer::SpeechAnnouncer(std::unique_ptr<SpeechSynthesizer> synthesizer,
                                 MainQueue& mainQueue)
    : synthesizer_(std::move(synthesizer)), mainQueue_(mainQueue),
      self_(std::make_shared<SpeechAnnouncer*>(this)), rate_(synthesizer_->defaultRate()) {
    std::weak_ptr<SpeechAnnouncer*> weak = self_;
    synthesizer_->setReportHandler([weak, &mainQueue](std::uint64_t id, SpeechReport kind) {
        mainQueue.post([weak, id, kind] {
            if (const auto self = weak.lock(); self && *self) (*self)->handleReport(id, kind);
        });
    });
}

SpeechAnnouncer::~SpeechAnnouncer() {
    *self_ = nullptr;
    // Joins the synthesizer's threads before the rest of the announcer goes.
    synthesizer_.reset();
}

void SpeechAnnouncer::post(std::function<void(SpeechSynthesizer&)> call) {
    std::weak_ptr<SpeechAnnouncer*> weak = self_;
    mainQueue_.post([weak, call = std::move(call)] {
        if (const auto self = weak.lock(); self && *self) call(*(*self)->synthesizer_);
    });
}

void SpeechAnnouncer::changed() {
    if (observer_) observer_();
}

void SpeechAnnouncer::setSpeaking(bool speaking) {
    if (isSpeaking_ == speaking) return;
    isSpeaking_ = speaking;
    changed();
}

void SpeechAnnouncer::setRate(float rate) {
    rate_ = std::clamp(rate, synthesizer_->minimumRate(), synthesizer_->maximumRate());
    changed();
}

void SpeechAnnouncer::setVolume(float volume) {
    volume_ = std::clamp(volume, 0.0f, 1.0f);
    changed();
}

void SpeechAnnouncer::setVoiceForSource(std::int32_t sourceID,
                                        std::optional<std::string> voiceIdentifier) {
    if (voiceIdentifier)
        voiceForSource_[sourceID] = std::move(*voiceIdentifier);
    else
        voiceForSource_.erase(sourceID);
    changed();
}

std::optional<std::string> SpeechAnnouncer::voiceFor(std::optional<std::int32_t> sourceID) const {
    if (!sourceID) return std::nullopt;
    const auto found = voiceForSource_.find(*sourceID);
    if (found == voiceForSource_.end() || !synthesizer_->hasVoice(found->second))
        return std::nullopt;
    return found->second;
}

Utterance SpeechAnnouncer::makeUtterance(std::string text, std::optional<std::int32_t> sourceID) {
    return Utterance{nextUtteranceID_++, std::move(text), rate_, volume_, voiceFor(sourceID)};
}

void SpeechAnnouncer::speakIfIdle(std::string text, std::optional<std::int32_t> sourceID) {
    if (busy_) return;
    auto utterance = makeUtterance(std::move(text), sourceID);
    busy_ = true;
    currentUtterance_ = utterance;
    post([utterance](SpeechSynthesizer& synthesizer) { synthesizer.speak(utterance); });
}

void SpeechAnnouncer::speakNow(std::string text, std::optional<std::int32_t> sourceID) {
    busy_ = true;
    auto utterance = makeUtterance(std::move(text), sourceID);
    currentUtterance_ = utterance;
    post([utterance](SpeechSynthesizer& synthesizer) {
        synthesizer.stopSpeaking();
        synthesizer.speak(utterance);
    });
}

void SpeechAnnouncer::stop() {
    busy_ = false;
    currentUtterance_.reset();
    setSpeaking(false);
    post([](SpeechSynthesizer& synthesizer) { synthesizer.stopSpeaking(); });
}

std::vector<Voice> SpeechAnnouncer::availableVoices() const {
    std::vector<Voice> english;
    for (auto& voice : synthesizer_->voices())
        if (voice.language.starts_with("en")) english.push_back(std::move(voice));
    std::stable_sort(english.begin(), english.end(),
                     [](const Voice& a, const Voice& b) { return a.name < b.name; });
    return english;
}

void SpeechAnnouncer::adjustRate(float delta) {
    setRate(rate_ + delta);
    speakNow(std::string("Speech Rate ") + (delta >= 0 ? "Faster" : "Slower"));
}

void SpeechAnnouncer::adjustVolume(float delta) {
    setVolume(volume_ + delta);
    speakNow(std::string("TTS Volume ") + (delta >= 0 ? "Up" : "Down"));
}

void SpeechAnnouncer::handleReport(std::uint64_t utteranceID, SpeechReport kind) {
    if (!currentUtterance_ || currentUtterance_->id != utteranceID) return;
    if (kind == SpeechReport::started) {
        setSpeaking(true);
        return;
    }
    busy_ = false;
    currentUtterance_.reset();
    setSpeaking(false);
}

} // namespace umbrascope
