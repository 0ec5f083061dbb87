#pragma once

#include <cstdint>
#include <optional>

#include "model/MIDIMessage.hpp"
#include "model/MessageAddress.hpp"
#include "model/UMPMessageType.hpp"

namespace umbrascope {

// The per-message filters. The receive path drops what they hide; the window applies them again
// to the buffer, so switching one on hides what is already there and switching it off shows it.
// The group and channel choices are the window's alone: the receive path leaves them unset, so
// choosing "All channels" again shows every message that was there.
struct MessageFilter {
    MessageTypeSet hiddenMessageTypes;
    bool hideActiveSensing = false;
    bool hideMidiClock = false;
    bool onlyUMPSources = false;
    // 0-based; none shows all. A message without the field is never hidden by it.
    std::optional<std::uint8_t> shownGroup;
    std::optional<std::uint8_t> shownChannel;

    bool hides(const MIDIMessage& message) const {
        return hiddenMessageTypes.contains(message.messageType) ||
               (hideActiveSensing && isActiveSensing(message)) ||
               (hideMidiClock && isMidiClock(message)) ||
               (onlyUMPSources && !message.sourceIsUMPNative) || hidesAddress(message);
    }

    friend bool operator==(const MessageFilter&, const MessageFilter&) = default;

private:
    bool hidesAddress(const MIDIMessage& message) const {
        if (!shownGroup && !shownChannel) return false;
        const MessageAddress address =
            messageAddress(message.messageType, message.words.wordOrZero(0));
        return (shownGroup && address.group && *address.group != *shownGroup) ||
               (shownChannel && address.channel && *address.channel != *shownChannel);
    }
};

} // namespace umbrascope
