#include "app/AnnouncePass.hpp"

#include <algorithm>

#include "text/SpokenText.hpp"

namespace umbrascope::detail {

void announce(std::span<const MIDIMessage* const> fresh, std::int64_t newest, AnnounceState& state,
              SpeechAnnouncer& announcer, ClickPlayer& clickPlayer) {
    if (state.clickOnMessage)
        for (const auto* message : fresh)
            clickPlayer.playTick(message->sourceID);

    if (state.ttsLevel != TTSLevel::off) {
        std::optional<std::string> text;
        std::int32_t sourceID = 0;
        for (const auto* message : fresh) {
            if (auto spoken = spokenText(*message, state.ttsLevel, state.runningVoiceStatus)) {
                text = std::move(spoken);
                sourceID = message->sourceID;
            }
        }
        if (text) {
            if (state.lastInterrupts)
                announcer.speakNow(std::move(*text), sourceID, UtteranceKind::announcement);
            else
                announcer.speakIfIdle(std::move(*text), sourceID, UtteranceKind::announcement);
        }
    }

    state.lastSpokenSequence = std::max(state.lastSpokenSequence.value_or(newest), newest);
}

} // namespace umbrascope::detail
