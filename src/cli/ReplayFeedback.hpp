#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string_view>

#include "app/AnnouncePass.hpp"
#include "audio/ClickPlayer.hpp"
#include "audio/SpeechAnnouncer.hpp"
#include "core/MainQueue.hpp"
#include "midi/MIDIManager.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

// Speech and ticks for a replay, as the monitor gives them: the announce pass runs whenever the
// newest message changes. Main thread only; the queue must outlive it.
class ReplayFeedback {
public:
    // None, with a message on `err`, when the speech backend is not available. What cannot be
    // heard (ticks without a device, speech that falls back) is said on `err`, which must outlive
    // the feedback.
    static std::unique_ptr<ReplayFeedback> make(TTSLevel level, bool ticks,
                                                std::string_view speechBackend, MainQueue& queue,
                                                std::ostream& err);

    ~ReplayFeedback();

    // After each delivered event list, with the main queue drained.
    void afterDelivery(const MIDIManager& manager);
    // Lets the last announcement and ticks be heard; bounded.
    void finish(ManualQueue& queue);

private:
    ReplayFeedback(platform::SpeechSetup speech,
                   ObserverList<const std::string&>::Subscription fallbackNotice, MainQueue& queue,
                   AnnounceState state);

    platform::SpeechSetup speech_; // its engine outlives the players below
    ObserverList<const std::string&>::Subscription fallbackNotice_;
    SpeechAnnouncer announcer_;
    ClickPlayer clickPlayer_;
    AnnounceState state_;
    std::optional<Identifier> newest_;
};

} // namespace umbrascope::cli
