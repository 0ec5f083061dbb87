// Arbitrary bytes, read as big-endian words, through the whole path a received run of words takes:
// packet splitting, the description, the field breakdown of every packet under every class and
// its spoken form.
// Aborts on any broken row invariant so that libFuzzer reports the input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "breakdown/BreakdownReading.hpp"
#include "breakdown/BreakdownRows.hpp"
#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"
#include "text/Description.hpp"
#include "text/UTF8Decoding.hpp"

namespace {

using namespace umbrascope;

void require(bool condition) {
    if (!condition) std::abort();
}

bool isUpperHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

void checkRows(const std::vector<FieldRow>& rows, bool subRows) {
    for (const auto& row : rows) {
        if (!row.hex.empty()) require(row.bits == 4 * static_cast<std::int64_t>(row.hex.size()));
        require(row.bits > 0);
        for (char c : row.hex)
            require(isUpperHex(c));
        require(!row.label.empty() && isValidUTF8(row.label));
        // The window shows one level of sub-rows only, and they never carry digits.
        if (subRows)
            require(row.hex.empty() && row.subRows.empty());
        else
            checkRows(row.subRows, true);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint32_t> words;
    words.reserve(size / 4);
    for (std::size_t i = 0; i + 4 <= size; i += 4)
        words.push_back(std::uint32_t{data[i]} << 24 | std::uint32_t{data[i + 1]} << 16 |
                        std::uint32_t{data[i + 2]} << 8 | std::uint32_t{data[i + 3]});

    std::size_t wordsSeen = 0;
    for (const PacketWords& packet : splitPackets(words)) {
        require(!packet.empty() && packet.size() <= PacketWords::capacity);
        wordsSeen += packet.size();
        MIDIMessage message;
        message.words = packet;
        message.messageType = classifyPacket(packet[0]).type;
        message.description = describePacket(packet, message.messageType);
        require(isValidUTF8(message.description));
        const auto rows = breakdownRows(message);
        checkRows(rows, false);
        // A one-word MIDI 2.0 packet has no rows, and then no spoken fields.
        const std::string speech = fieldsSpeechText(message);
        require(rows.empty() == speech.empty() && isValidUTF8(speech));
        // Handed to a synthesizer: the abbreviation is spelled out.
        require(speech.find("UMP") == std::string::npos);
        require(isValidUTF8(breakdownReadingText(message, true)));

        // A builder may be handed words of another class; it must still keep every invariant.
        for (UMPMessageType other : allMessageTypes)
            checkRows(breakdownRows(packet.span(), other), false);
    }
    require(wordsSeen == words.size());

    // Longer runs than any packet, through the span entry point.
    const std::size_t longRun = words.size() < 6 ? words.size() : 6;
    for (UMPMessageType type : allMessageTypes)
        checkRows(breakdownRows(std::span<const std::uint32_t>(words.data(), longRun), type),
                  false);
    return 0;
}
