#include <gtest/gtest.h>

#include "ExpectedRows.hpp"

namespace umbrascope {
namespace {

using testing::labelsOf;
using testing::rowsOf;

// Hex digits and widths of these rows are checked for every family in BreakdownInvariantsTest.
struct Case {
    const char* name;
    std::uint32_t word;
    const char* labels;
};

constexpr const char* utility = "Message Type = 0, Utility Message | ";
constexpr const char* system = "Message Type = 1, System Real-Time/Common Message | ";
constexpr const char* midi1 = "Message Type = 2, MIDI 1.0 Channel Voice Message | ";

const Case cases[] = {
    {"UtilityNoop", 0x00000000, "Group 1 | No Operation (NOOP) | Value = 0"},
    {"UtilityAllTwentyBits", 0x0A2FFFFF, "Group 11 | JR Timestamp | Value = 1048575"},
    {"UtilityUnknownStatus", 0x00512345, "Group 1 | Unrecognized | Value = 74565"},
    {"SystemSongSelect", 0x13F30005,
     "Group 4 | Status = 0xF3 (Song Select) | Data 1 = 0 | Data 2 = 5"},
    {"SystemMasksData", 0x1FF2FF81,
     "Group 16 | Status = 0xF2 (Song Position Pointer) | Data 1 = 127 | Data 2 = 1"},
    {"SystemUnassigned", 0x10F90000,
     "Group 1 | Status = 0xF9 (Unrecognized status) | Data 1 = 0 | Data 2 = 0"},
    {"SystemBelowF0", 0x10800000,
     "Group 1 | Status = 0x80 (Unrecognized status) | Data 1 = 0 | Data 2 = 0"},
    {"NoteOn", 0x20903C40,
     "Group 1 | Note On | Channel 1 | Note Number = C4 | Velocity = 64 (50.39%)"},
    {"NoteOnZeroStaysNoteOn", 0x20903C00,
     "Group 1 | Note On | Channel 1 | Note Number = C4 | Velocity = 0 (0.00%)"},
    {"NoteOffMasked", 0x2F81FFFF,
     "Group 16 | Note Off | Channel 2 | Note Number = G9 | Velocity = 127 (100.00%)"},
    {"PolyAftertouch", 0x20AF0D7F,
     "Group 1 | Polyphonic Aftertouch | Channel 16 | Note Number = C sharp 0 | Pressure = 127 "
     "(100.00%)"},
    {"ControlChange", 0x20B40778,
     "Group 1 | Control Change | Channel 5 | Controller Number = 7 | Value = 120 (94.49%)"},
    {"ProgramZeroBased", 0x20C00500,
     "Group 1 | Program Change | Channel 1 | Program Number = 5 | Unused"},
    {"ChannelAftertouch", 0x20D04000,
     "Group 1 | Channel Aftertouch | Channel 1 | Pressure = 64 (50.39%) | Unused"},
    {"PitchBendCentre", 0x2FE00040,
     "Group 16 | Pitch Bend | Channel 1 | Bend LSB (fine) | Bend MSB (coarse) — combined value "
     "8192 of 16383"},
    {"OpcodeF", 0x20F01234, "Group 1 | Status = 0xF (unrecognized) | Channel 1 | Data"},
};

class OneWordRows : public ::testing::TestWithParam<Case> {};

TEST_P(OneWordRows, Labels) {
    const auto& c = GetParam();
    const char* type = c.word >> 28 == 0 ? utility : c.word >> 28 == 1 ? system : midi1;
    EXPECT_EQ(labelsOf(rowsOf({c.word})), type + std::string(c.labels));
}

INSTANTIATE_TEST_SUITE_P(Cases, OneWordRows, ::testing::ValuesIn(cases), testing::CaseName());

TEST(Dispatch, UnknownClassIsOneWholeWordRow) {
    auto message = testing::messageOf({0x20903C40, 0x12345678});
    message.messageType = UMPMessageType::unknown; // the stored class wins over the nibble
    const auto rows = breakdownRows(message);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].hex, "20903C40");
    EXPECT_EQ(rows[0].bits, 32);
    EXPECT_EQ(rows[0].label, "Unrecognized message type");
    EXPECT_TRUE(rows[0].subRows.empty());
}

TEST(Dispatch, NoWordsNoRows) {
    for (const auto type : allMessageTypes) {
        MIDIMessage message;
        message.messageType = type;
        EXPECT_TRUE(breakdownRows(message).empty()) << caseName(type);
    }
}

TEST(Dispatch, EveryRowGetsAFreshIdentity) {
    const auto first = rowsOf({0x20903C40});
    const auto second = rowsOf({0x20903C40});
    for (std::size_t i = 1; i < first.size(); ++i) {
        EXPECT_FALSE(first[i].id == second[i].id);
        EXPECT_FALSE(first[i].id == first[i - 1].id);
    }
}

} // namespace
} // namespace umbrascope
