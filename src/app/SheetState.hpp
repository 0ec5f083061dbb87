#pragma once

#include <cstdint>

#include "model/MIDIMessage.hpp"

namespace umbrascope {

// The sheets of the window; one at most is open.
enum class Sheet { none, userGuide, deviceSettings, breakdown };

// Which sheet the window shows: none, the guide, the devices, or the breakdown of one message of
// the buffer (by identity, with its sequence number to tell when it has left the buffer).
class SheetState {
public:
    Sheet open() const { return open_; }
    // The breakdown's message; none unless the breakdown is open.
    const MIDIMessage* inspected() const { return open_ == Sheet::breakdown ? message_ : nullptr; }

    // Puts `sheet` in front, in place of any other: one sheet at a time, the newest wins. A
    // breakdown needs its message. Returns whether anything changed.
    bool show(Sheet sheet, const MIDIMessage* message = nullptr);
    // Closes `sheet` if it is the one open; returns whether it was.
    bool close(Sheet sheet);
    // The buffer no longer holds the messages before `firstKept`: a breakdown of one closes.
    bool messagesDropped(std::int64_t firstKept);
    // The breakdown's message now lives at `copy`, the same message elsewhere (the pause holds a
    // copy of the buffer); none: it is gone, and the breakdown closes. Returns whether it closed.
    bool moveInspected(const MIDIMessage* copy);

private:
    Sheet open_ = Sheet::none;
    const MIDIMessage* message_ = nullptr;
    std::int64_t sequenceNumber_ = 0;
};

} // namespace umbrascope
