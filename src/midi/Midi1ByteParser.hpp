#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace umbrascope {

// Up to two packets that one input byte completes (a status byte inside SysEx ends the SysEx and
// may itself be a whole message), words back to back; packet lengths follow from their type.
struct ParsedPackets {
    std::array<std::uint32_t, 4> words{};
    std::uint8_t count = 0;

    std::span<const std::uint32_t> span() const { return {words.data(), count}; }
};

// Turns a MIDI 1.0 byte stream into the UMP packets a MIDI 1.0 port receives: channel voice as
// type 2, system common and real-time as type 1, SysEx as type 3 packets of up to six bytes.
// Handles running status, real-time bytes anywhere (also inside SysEx and inside a message) and
// drops stray data bytes. State persists between calls, so a stream may arrive in any chunks; an
// unfinished SysEx stays pending. One parser per source; not thread-safe.
class Midi1ByteParser {
public:
    explicit Midi1ByteParser(std::uint8_t group = 0) : group_(group & 0xFu) {}

    ParsedPackets push(std::uint8_t byte);

    // Calls sink(std::span<const std::uint32_t>) with the words completed by each byte.
    template <typename Sink>
    void parse(std::span<const std::uint8_t> bytes, Sink&& sink) {
        for (const auto byte : bytes) {
            const ParsedPackets packets = push(byte);
            if (packets.count != 0) sink(packets.span());
        }
    }

    void reset();

private:
    void pushSysExByte(std::uint8_t byte, ParsedPackets& out);
    // Emits what the SysEx holds as its last (or only) packet and leaves SysEx.
    void endSysEx(ParsedPackets& out);
    void emitSysEx(bool last, ParsedPackets& out);
    void startMessage(std::uint8_t status);

    std::uint8_t group_;
    // Status of the message being collected, 0 when none; running status when it is reused.
    std::uint8_t status_ = 0;
    std::uint8_t runningStatus_ = 0;
    std::uint8_t needed_ = 0;
    std::uint8_t have_ = 0;
    std::array<std::uint8_t, 2> data_{};

    bool inSysEx_ = false;
    bool sysExStarted_ = false; // a Start packet went out for the current SysEx
    std::uint8_t sysExCount_ = 0;
    std::array<std::uint8_t, 6> sysEx_{};
};

} // namespace umbrascope
