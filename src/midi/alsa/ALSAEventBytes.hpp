#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>
#include <vector>

namespace umbrascope::alsa {

// Turns sequencer events back into MIDI 1.0 bytes, each message with its full status byte (no
// running status), so the byte translation sees exactly what a MIDI cable would carry. 14-bit
// controller and (N)RPN events become their plain controller messages; SysEx events are copied as
// they come (chunks of one SysEx follow each other, only the first with F0 and only the last with
// F7). Owned by the receive thread.
class EventBytes {
public:
    EventBytes();
    ~EventBytes();
    EventBytes(const EventBytes&) = delete;
    EventBytes& operator=(const EventBytes&) = delete;

    // Appends the bytes of one event; returns false (appending nothing) for events that carry no
    // MIDI message (announcements, echoes, queue control).
    bool append(const snd_seq_event_t& event, std::vector<std::uint8_t>& out);

private:
    snd_midi_event_t* decoder_ = nullptr;
};

} // namespace umbrascope::alsa
