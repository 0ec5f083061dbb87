#pragma once

#include "model/MIDIMessage.hpp"
#include "model/UMPMessageType.hpp"

namespace umbrascope {

// The per-message filters. The receive path drops what they hide; the window applies them again
// to the buffer, so switching one on hides what is already there and switching it off shows it.
struct MessageFilter {
    MessageTypeSet hiddenMessageTypes;
    bool hideActiveSensing = false;
    bool hideMidiClock = false;
    bool onlyUMPSources = false;

    bool hides(const MIDIMessage& message) const {
        return hiddenMessageTypes.contains(message.messageType) ||
               (hideActiveSensing && isActiveSensing(message)) ||
               (hideMidiClock && isMidiClock(message)) ||
               (onlyUMPSources && !message.sourceIsUMPNative);
    }

    friend bool operator==(const MessageFilter&, const MessageFilter&) = default;
};

} // namespace umbrascope
