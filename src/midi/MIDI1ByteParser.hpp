#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace umbrascope {

// Turns a MIDI 1.0 byte stream into the UMP packets a MIDI 1.0 port receives: channel voice as
// type 2, system common and real-time as type 1, SysEx as type 3 packets of up to six bytes.
// Handles running status, real-time bytes anywhere (also inside SysEx and inside a message) and
// drops stray data bytes. State persists between calls, so a stream may arrive in any chunks; an
// unfinished SysEx stays pending. One parser per source; not thread-safe.
class MIDI1ByteParser {
public:
    // A status byte inside SysEx completes the SysEx's last packet (two words) and may be a whole
    // message itself; no byte completes more.
    static constexpr std::size_t maxWordsPerByte = 3;

    explicit MIDI1ByteParser(std::uint8_t group = 0) { state_.group = group & 0xFu; }

    // Writes the packets these bytes complete to out, words back to back, and returns the number
    // of words written. out must have room for maxWordsPerByte words per byte.
    std::size_t push(std::span<const std::uint8_t> bytes, std::span<std::uint32_t> out);

    void reset() { state_ = State{.group = state_.group}; }

private:
    struct State {
        std::uint8_t group = 0;
        // The status data bytes belong to; it stays for the next message when it runs on.
        std::uint8_t status = 0;
        // Data bytes a message of that status takes; 0 drops data bytes (or hands them to SysEx).
        std::uint8_t needed = 0;
        bool haveFirst = false;
        std::uint8_t first = 0;

        bool inSysEx = false;
        bool sysExStarted = false; // a Start packet went out for the current SysEx
        std::uint8_t sysExCount = 0;
        std::array<std::uint8_t, 6> sysEx{};
    };

    State state_;
};

} // namespace umbrascope
