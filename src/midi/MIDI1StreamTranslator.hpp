#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "midi/MIDI1ByteParser.hpp"
#include "midi/UMPTranslator.hpp"

namespace umbrascope {

// MIDI 1.0 bytes of one source → the UMP packets an input port of the given protocol receives.
// Keeps the byte parser's and the translator's state between calls. Not thread-safe.
class MIDI1StreamTranslator {
public:
    explicit MIDI1StreamTranslator(MIDIProtocol protocol, std::uint8_t group = 0)
        : parser_(group), translator_(protocol) {}

    MIDIProtocol protocol() const { return translator_.protocol(); }

    // Appends the packets completed by these bytes to out, back to back.
    void translate(std::span<const std::uint8_t> bytes, std::vector<std::uint32_t>& out) {
        std::array<std::uint32_t, chunkBytes * MIDI1ByteParser::maxWordsPerByte> parsed;
        while (!bytes.empty()) {
            const auto chunk = bytes.first(std::min(bytes.size(), chunkBytes));
            bytes = bytes.subspan(chunk.size());
            const std::span<const std::uint32_t> words(parsed.data(), parser_.push(chunk, parsed));
            // A MIDI 1.0 port receives the parser's system, channel voice and SysEx7 packets as
            // they are.
            if (translator_.protocol() == MIDIProtocol::midi1)
                out.insert(out.end(), words.begin(), words.end());
            else
                translator_.translateWords(words, out);
        }
    }

    void reset() {
        parser_.reset();
        translator_.reset();
    }

private:
    // Bytes parsed per pass into a buffer on the stack, so the byte loop writes plain memory and
    // the vector grows once per pass rather than once per word.
    static constexpr std::size_t chunkBytes = 256;

    MIDI1ByteParser parser_;
    UMPTranslator translator_;
};

} // namespace umbrascope
