#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <ranges>
#include <span>
#include <vector>

#include "audio/ClickPlayer.hpp"
#include "audio/SpeechAnnouncer.hpp"
#include "model/MIDIMessage.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope {

// What the main window keeps for announcing new messages. Main thread only.
struct AnnounceState {
    TTSLevel ttsLevel = TTSLevel::off;
    bool lastInterrupts = false;
    bool clickOnMessage = false;
    // Only moves forward: hiding a type and showing it again never re-announces what was heard.
    std::optional<std::int64_t> lastSpokenSequence;
    std::optional<RunningVoiceStatus> runningVoiceStatus;
};

namespace detail {
inline const MIDIMessage& asMessage(const MIDIMessage& message) {
    return message;
}
inline const MIDIMessage& asMessage(const MIDIMessage* message) {
    return *message;
}

// `fresh`: the new messages, oldest first; `newest`: the visible list's last sequence number.
void announce(std::span<const MIDIMessage* const> fresh, std::int64_t newest, AnnounceState& state,
              SpeechAnnouncer& announcer, ClickPlayer& clickPlayer);
} // namespace detail

// Clicks every visible message newer than the announce position, speaks the newest speakable
// one (the running status walks through all of them), and moves the position to the newest.
// `visible` is the window's visible list, oldest first: a bidirectional range of messages or of
// pointers to them.
template <std::ranges::bidirectional_range Visible>
void announceNewMessages(const Visible& visible, AnnounceState& state, SpeechAnnouncer& announcer,
                         ClickPlayer& clickPlayer) {
    if (std::ranges::empty(visible)) return;
    const auto last = std::ranges::rbegin(visible);
    const std::int64_t newest = detail::asMessage(*last).sequenceNumber;
    std::vector<const MIDIMessage*> fresh;
    // With ticks and speech off nothing needs the new messages themselves.
    if (state.clickOnMessage || state.ttsLevel != TTSLevel::off) {
        // Sequence numbers grow along the list, so the new ones are a run at its end.
        for (auto it = last; it != std::ranges::rend(visible); ++it) {
            const MIDIMessage& message = detail::asMessage(*it);
            if (state.lastSpokenSequence && message.sequenceNumber <= *state.lastSpokenSequence)
                break;
            fresh.push_back(&message);
        }
        std::reverse(fresh.begin(), fresh.end());
    }
    detail::announce(fresh, newest, state, announcer, clickPlayer);
}

// Run when the narration level changes: nothing received before it is announced afterwards.
template <std::ranges::bidirectional_range Visible>
void resetAnnouncePosition(const Visible& visible, AnnounceState& state) {
    if (!std::ranges::empty(visible)) {
        const auto newest = detail::asMessage(*std::ranges::rbegin(visible)).sequenceNumber;
        state.lastSpokenSequence = std::max(state.lastSpokenSequence.value_or(newest), newest);
    }
    state.runningVoiceStatus.reset();
}

} // namespace umbrascope
