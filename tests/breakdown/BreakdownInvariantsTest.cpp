#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRows.hpp"
#include "breakdown/BreakdownReading.hpp"

namespace umbrascope {
namespace {

struct Sample {
    const char* name;
    std::vector<std::uint32_t> words;
};

// At least one packet of every class, with the layouts that differ within a class, plus truncated
// packets.
const Sample samples[] = {
    {"UtilityNoop", {0x00000000}},
    {"UtilityJr", {0x0F2FFFFF}},
    {"SystemClock", {0x10F80000}},
    {"Midi1NoteOn", {0x20903C40}},
    {"Midi1PitchBend", {0x2FEF7F7F}},
    {"Midi1Unrecognized", {0x20F01234}},
    {"SysEx7Complete", {0x30067E7F, 0x09010000}},
    {"SysEx7OneWord", {0x30360000}},
    {"SysEx8Header", {0x50810000, 0x11223344, 0x55667788, 0x99AABBCC}},
    {"SysEx8Truncated", {0x50160000, 0x01020304}},
    {"Midi2NoteOn", {0x40903C00, 0x80000000}},
    {"Midi2NoteOnArticulation", {0x4F9F3C11, 0xFFFFE0C9}},
    {"Midi2Program", {0x40C00001, 0x05001234}},
    {"Midi2Rpn", {0x40200102, 0x80000000}},
    {"Midi2PitchBend", {0x40E00000, 0xC0000000}},
    {"Midi2OneWord", {0x40903C00}},
    {"FlexTempo", {0xD0000000, 0x02FAF080, 0, 0}},
    {"FlexTimeSignature", {0xD0000001, 0x04021800, 0, 0}},
    {"FlexTimeSignatureHugeDenominator", {0xD0000001, 0x04FF1800, 0, 0}},
    {"FlexMetronome", {0xD0000002, 0x18010203, 0x04000000, 0}},
    {"FlexKeySignature", {0xD0100005, 0xD3000000, 0, 0}},
    {"FlexChordPlain", {0xD0000006, 0x03030000, 0, 0}},
    {"FlexChordAltered", {0xD0000006, 0xF3151575, 0x1575F203, 0x15750000}},
    {"FlexText", {0xD0100101, 0x48690000, 0, 0}},
    {"FlexTextInvalidUtf8", {0xD0100201, 0xFFC3E282, 0x28000000, 0}},
    {"FlexRaw", {0xD0000300, 1, 2, 3}},
    {"FlexTruncated", {0xD0000000, 0x02FAF080}},
    {"StreamDiscovery", {0xF0000101, 0x0000001F, 0, 0}},
    {"StreamFormatBits", {0xF4030000, 1, 2, 3}},
    {"StreamOneWord", {0xF0200000}},
    {"Unknown", {0x6ABCDEF0}},
};

std::string packetDigits(const std::vector<std::uint32_t>& words) {
    std::string digits;
    for (const auto word : words)
        digits += hexDigits(word, 0, 8);
    return digits;
}

class EveryFamily : public ::testing::TestWithParam<Sample> {
protected:
    std::vector<FieldRow> rows() const {
        const auto& words = GetParam().words;
        return breakdownRows(words, classifyPacket(words.at(0)).type);
    }
};

// Top-level rows tile the packet from its first bit, in order: a row with hex digits shows exactly
// the digits at its position and is 4 bits per digit; a row without them still takes its width.
TEST_P(EveryFamily, RowsTakeTheirDigitsFromTheirPlaceInThePacket) {
    const std::string digits = packetDigits(GetParam().words);
    std::int64_t bit = 0;
    for (const auto& row : rows()) {
        SCOPED_TRACE(row.label);
        EXPECT_GT(row.bits, 0);
        if (!row.hex.empty()) {
            EXPECT_EQ(row.bits, 4 * static_cast<std::int64_t>(row.hex.size()));
            ASSERT_EQ(bit % 4, 0);
            EXPECT_EQ(row.hex, digits.substr(static_cast<std::size_t>(bit / 4), row.hex.size()));
        }
        bit += row.bits;
    }
    EXPECT_LE(bit, 32 * static_cast<std::int64_t>(GetParam().words.size()));
}

TEST_P(EveryFamily, SubRowsSplitTheirParentExactly) {
    for (const auto& row : rows()) {
        if (row.subRows.empty()) continue;
        std::int64_t sum = 0;
        for (const auto& subRow : row.subRows) {
            EXPECT_TRUE(subRow.hex.empty()) << subRow.label;
            EXPECT_TRUE(subRow.subRows.empty()) << subRow.label;
            EXPECT_GT(subRow.bits, 0) << subRow.label;
            sum += subRow.bits;
        }
        EXPECT_EQ(sum, row.bits) << row.label;
    }
}

TEST_P(EveryFamily, OnlyAOneWordMidi2PacketHasNoRows) {
    const auto& words = GetParam().words;
    const bool rowless =
        words.size() < 2 && classifyPacket(words[0]).type == UMPMessageType::midi2ChannelVoice;
    EXPECT_EQ(rows().empty(), rowless);
}

// Spoken form: the synthesizer never gets "UMP" or a bare " = ".
TEST_P(EveryFamily, SpokenFormIsSpellable) {
    const std::string text = fieldsSpeechText(rows());
    EXPECT_EQ(text.find("UMP"), std::string::npos);
    EXPECT_EQ(text.find(" = "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Samples, EveryFamily, ::testing::ValuesIn(samples), testing::CaseName());

} // namespace
} // namespace umbrascope
