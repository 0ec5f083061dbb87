#include "audio/SpeechAnnouncer.hpp"

#include <algorithm>

#include "audio/VoiceSelection.hpp"

namespace umbrascope {

SpeechAnnouncer::SpeechAnnouncer(std::unique_ptr<SpeechSynthesizer> synthesizer,
                                 MainQueue& mainQueue)
    : synthesizer_(std::move(synthesizer)), mainQueue_(mainQueue),
      rate_(synthesizer_->defaultRate()) {
    // Reports come on the synthesizer's threads, which touch nothing of the announcer but the
    // watch taken here.
    synthesizer_->setReportHandler(
        [this, watch = lifetime_.watch(), &mainQueue](std::uint64_t id, SpeechReport kind) {
            mainQueue.post([this, watch, id, kind] {
                if (!watch.expired()) handleReport(id, kind);
            });
        });
    synthesizer_->setVoicesHandler([this, watch = lifetime_.watch(), &mainQueue] {
        mainQueue.post([this, watch] {
            if (!watch.expired()) observers_.notify(SpeechAnnouncerProperty::availableVoices);
        });
    });
}

SpeechAnnouncer::~SpeechAnnouncer() {
    lifetime_.end();
    // Joins the synthesizer's threads before the rest of the announcer goes.
    synthesizer_.reset();
}

void SpeechAnnouncer::post(std::function<void(SpeechSynthesizer&)> call) {
    mainQueue_.post(lifetime_.guard([this, call = std::move(call)] { call(*synthesizer_); }));
}

void SpeechAnnouncer::tell(UtteranceEvent::Kind kind, const Utterance& utterance,
                           std::optional<std::int32_t> sourceID) {
    utteranceEvents_.notify(UtteranceEvent{kind, utterance, sourceID});
}

void SpeechAnnouncer::setSpeaking(bool speaking) {
    if (isSpeaking_ == speaking) return;
    isSpeaking_ = speaking;
    observers_.notify(SpeechAnnouncerProperty::isSpeaking);
}

void SpeechAnnouncer::setRate(float rate) {
    rate_ = std::clamp(rate, synthesizer_->minimumRate(), synthesizer_->maximumRate());
    observers_.notify(SpeechAnnouncerProperty::rate);
}

void SpeechAnnouncer::setVolume(float volume) {
    volume_ = std::clamp(volume, 0.0f, 1.0f);
    observers_.notify(SpeechAnnouncerProperty::volume);
}

void SpeechAnnouncer::setVoiceForSource(std::int32_t sourceID,
                                        std::optional<std::string> voiceIdentifier) {
    if (voiceIdentifier)
        voiceForSource_[sourceID] = std::move(*voiceIdentifier);
    else
        voiceForSource_.erase(sourceID);
    observers_.notify(SpeechAnnouncerProperty::voiceForSource);
}

std::optional<std::string> SpeechAnnouncer::voiceFor(std::optional<std::int32_t> sourceID) const {
    if (!sourceID) return std::nullopt;
    const auto found = voiceForSource_.find(*sourceID);
    if (found == voiceForSource_.end() || !synthesizer_->hasVoice(found->second))
        return std::nullopt;
    return found->second;
}

Utterance SpeechAnnouncer::makeUtterance(std::string text, std::optional<std::int32_t> sourceID,
                                         UtteranceKind kind) {
    return Utterance{nextUtteranceID_++, std::move(text), rate_, volume_, voiceFor(sourceID), kind};
}

void SpeechAnnouncer::endCurrent(UtteranceEvent::Kind how) {
    if (!currentUtterance_) return;
    const Utterance ended = std::move(*currentUtterance_);
    const auto sourceID = currentSourceID_;
    currentUtterance_.reset();
    currentSourceID_.reset();
    tell(how, ended, sourceID);
}

void SpeechAnnouncer::dropFollowUp() {
    if (!followUp_) return;
    FollowUp dropped = std::move(*followUp_);
    followUp_.reset();
    tell(UtteranceEvent::Kind::droppedBusy,
         Utterance{0, std::move(dropped.text), rate_, volume_, voiceFor(dropped.sourceID),
                   dropped.kind},
         dropped.sourceID);
}

void SpeechAnnouncer::handOver(Utterance utterance, std::optional<std::int32_t> sourceID,
                               bool cutIn) {
    busy_ = true;
    dropFollowUp();
    endCurrent(UtteranceEvent::Kind::cutOff);
    currentUtterance_ = utterance;
    currentSourceID_ = sourceID;
    tell(UtteranceEvent::Kind::handedOver, *currentUtterance_, sourceID);
    post([utterance = std::move(utterance), cutIn](SpeechSynthesizer& synthesizer) {
        if (cutIn) synthesizer.stopSpeaking();
        synthesizer.speak(utterance);
    });
}

void SpeechAnnouncer::speakIfIdle(std::string text, std::optional<std::int32_t> sourceID,
                                  UtteranceKind kind) {
    if (busy_) {
        if (utteranceEvents_.size() > 0)
            tell(UtteranceEvent::Kind::droppedBusy,
                 Utterance{0, std::move(text), rate_, volume_, voiceFor(sourceID), kind}, sourceID);
        return;
    }
    handOver(makeUtterance(std::move(text), sourceID, kind), sourceID, false);
}

void SpeechAnnouncer::speakNow(std::string text, std::optional<std::int32_t> sourceID,
                               UtteranceKind kind) {
    // The user's own key is answered in full; the message that follows it is not worth more.
    if (kind == UtteranceKind::announcement && busy_ && currentUtterance_ &&
        (currentUtterance_->kind == UtteranceKind::confirmation ||
         currentUtterance_->kind == UtteranceKind::heading)) {
        speakIfIdle(std::move(text), sourceID, kind);
        return;
    }
    handOver(makeUtterance(std::move(text), sourceID, kind), sourceID, true);
}

void SpeechAnnouncer::speakAfter(std::string text, std::optional<std::int32_t> sourceID,
                                 UtteranceKind kind) {
    if (!busy_) {
        handOver(makeUtterance(std::move(text), sourceID, kind), sourceID, false);
        return;
    }
    dropFollowUp();
    followUp_ = FollowUp{std::move(text), sourceID, kind};
}

void SpeechAnnouncer::stop() {
    busy_ = false;
    dropFollowUp();
    endCurrent(UtteranceEvent::Kind::cutOff);
    setSpeaking(false);
    post([](SpeechSynthesizer& synthesizer) { synthesizer.stopSpeaking(); });
}

std::vector<Voice> SpeechAnnouncer::availableVoices() const {
    return pickerVoices(synthesizer_->voices());
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
    // Finished, cancelled and failed all end it: `busy` never outlives the utterance.
    busy_ = false;
    endCurrent(kind == SpeechReport::finished ? UtteranceEvent::Kind::spoken
               : kind == SpeechReport::failed ? UtteranceEvent::Kind::failed
                                              : UtteranceEvent::Kind::cutOff);
    setSpeaking(false);
    if (kind == SpeechReport::finished && followUp_) {
        FollowUp next = std::move(*followUp_);
        followUp_.reset();
        handOver(makeUtterance(std::move(next.text), next.sourceID, next.kind), next.sourceID,
                 false);
        return;
    }
    dropFollowUp();
}

} // namespace umbrascope
