#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "audio/SpeechSynthesizer.hpp"
#include "core/LifetimeToken.hpp"
#include "core/MainQueue.hpp"
#include "core/ObserverList.hpp"

namespace umbrascope {

// The published properties, named to observers after they change.
enum class SpeechAnnouncerProperty { rate, volume, isSpeaking, voiceForSource, availableVoices };

// What became of one request to speak; a speech log follows these.
struct UtteranceEvent {
    enum class Kind {
        handedOver,  // given to the synthesizer; later spoken, cutOff or failed
        droppedBusy, // speakIfIdle while busy, or a follow-up of an utterance that did not end
                     // spoken: never handed over, and its utterance has id 0
        spoken,      // the synthesizer finished it
        cutOff,      // cancelled, replaced by speakNow, or stopped
        failed,      // the synthesizer took it and could not say it
    };
    Kind kind;
    const Utterance& utterance;
    std::optional<std::int32_t> sourceID;
};

// The one service that speaks. No queue: at most one utterance is current; a new one is dropped
// while busy (speakIfIdle) or cuts in (speakNow). The current one may carry one follow-up
// (speakAfter), said only once it has been said in full.
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

    Utterance makeUtterance(std::string text, std::optional<std::int32_t> sourceID,
                            UtteranceKind kind = UtteranceKind::confirmation);
    // The source's voice when it names an installed one; none means the default voice.
    std::optional<std::string> voiceFor(std::optional<std::int32_t> sourceID) const;

    void speakIfIdle(std::string text, std::optional<std::int32_t> sourceID = std::nullopt,
                     UtteranceKind kind = UtteranceKind::confirmation);
    // An announcement does not cut the answer to a key (a confirmation or a heading) off: it is
    // dropped as if busy.
    void speakNow(std::string text, std::optional<std::int32_t> sourceID = std::nullopt,
                  UtteranceKind kind = UtteranceKind::confirmation);
    // Said after the current utterance once that has been said in full, so a confirmation stays
    // short and what follows it can be of a kind that gives way to a screen reader. Dropped when
    // the current one is cut off, fails, is stopped or replaced; said at once when nothing is
    // current.
    void speakAfter(std::string text, std::optional<std::int32_t> sourceID = std::nullopt,
                    UtteranceKind kind = UtteranceKind::reading);
    void stop();

    // What the voice picker offers (pickerVoices).
    std::vector<Voice> availableVoices() const;
    void adjustRate(float delta);
    void adjustVolume(float delta);

    ObserverList<SpeechAnnouncerProperty>& observers() { return observers_; }
    ObserverList<const UtteranceEvent&>& utteranceEvents() { return utteranceEvents_; }

    SpeechSynthesizer& synthesizer() { return *synthesizer_; }

private:
    std::unique_ptr<SpeechSynthesizer> synthesizer_;
    MainQueue& mainQueue_;
    float rate_;
    float volume_ = 1.0f;
    bool isSpeaking_ = false;
    std::map<std::int32_t, std::string> voiceForSource_;
    bool busy_ = false;
    std::optional<Utterance> currentUtterance_;
    std::optional<std::int32_t> currentSourceID_;
    struct FollowUp {
        std::string text;
        std::optional<std::int32_t> sourceID;
        UtteranceKind kind;
    };
    std::optional<FollowUp> followUp_;
    std::uint64_t nextUtteranceID_ = 1;
    ObserverList<SpeechAnnouncerProperty> observers_;
    ObserverList<const UtteranceEvent&> utteranceEvents_;
    // Posted tasks run only while the announcer exists; ended first thing in the destructor.
    LifetimeToken lifetime_;

    void handleReport(std::uint64_t utteranceID, SpeechReport kind);
    void setSpeaking(bool speaking);
    // Hands `utterance` over as the current one; `cutIn` stops what is being said first.
    void handOver(Utterance utterance, std::optional<std::int32_t> sourceID, bool cutIn);
    // Forgets the current utterance, telling the log how it ended.
    void endCurrent(UtteranceEvent::Kind how);
    void dropFollowUp();
    void tell(UtteranceEvent::Kind kind, const Utterance& utterance,
              std::optional<std::int32_t> sourceID);
    void post(std::function<void(SpeechSynthesizer&)> call);
};

} // namespace umbrascope
