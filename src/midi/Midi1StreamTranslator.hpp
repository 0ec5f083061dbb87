#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "midi/Midi1ByteParser.hpp"
#include "midi/UmpTranslator.hpp"

namespace umbrascope {

// MIDI 1.0 bytes of one source → the UMP packets an input port of the given protocol receives.
// Keeps the byte parser's and the translator's state between calls. Not thread-safe.
class Midi1StreamTranslator {
public:
    explicit Midi1StreamTranslator(MidiProtocol protocol, std::uint8_t group = 0)
        : parser_(group), translator_(protocol) {}

    MidiProtocol protocol() const { return translator_.protocol(); }

    // Appends the packets completed by these bytes to out, back to back.
    void translate(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t>& out) {
        for (const auto byte : bytes) {
            const ParsedPackets packets = parser_.push(byte);
            if (packets.count != 0) translator_.translateWords(packets.span(), out);
        }
    }

    void reset() {
        parser_.reset();
        translator_.reset();
    }

private:
    Midi1ByteParser parser_;
    UmpTranslator translator_;
};

} // namespace umbrascope
