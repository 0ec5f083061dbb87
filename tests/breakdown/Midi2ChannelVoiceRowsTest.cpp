#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRows.hpp"
#include "breakdown/Midi2ChannelVoiceRows.hpp"

namespace umbrascope {
namespace {

using testing::rowsOf;
using testing::Shown;
using testing::shown;

TEST(Midi2Rows, NoteOnInFull) {
    const std::vector<Shown> expected{
        {"4", 4, "Message Type = 4, MIDI 2.0 Channel Voice Message"},
        {"0", 4, "Group 1"},
        {"9", 4, "Note On"},
        {"0", 4, "Channel 1"},
        {"3C", 8, "Note Number = C4"},
        {"00", 8, "Attribute Type = No Attribute Data"},
        {"8000", 16, "Velocity = 50.00%"},
        {"0000", 16, "Attribute Data none"},
    };
    const auto rows = rowsOf({0x40903C00, 0x80000000});
    EXPECT_EQ(shown(rows), expected);
    for (const auto& row : rows)
        EXPECT_TRUE(row.subRows.empty()) << row.label;
}

TEST(Midi2Rows, ProgramChangeInFull) {
    const std::vector<Shown> expected{
        {"4", 4, "Message Type = 4, MIDI 2.0 Channel Voice Message"},
        {"3", 4, "Group 4"},
        {"C", 4, "Program Change"},
        {"F", 4, "Channel 16"},
        {"00", 8, "Reserved"},
        {"01", 8, "Bank Valid Flag = 1 (Bank included)"},
        {"85", 8, "Program Number = 5"},
        {"00", 8, "Reserved"},
        {"92", 8, "Bank MSB = 18"},
        {"B4", 8, "Bank LSB = 52"},
    };
    EXPECT_EQ(shown(rowsOf({0x43CF0001, 0x850092B4})), expected);
}

TEST(Midi2Rows, UnrecognizedOpcodeInFull) {
    const std::vector<Shown> expected{
        {"4", 4, "Message Type = 4, MIDI 2.0 Channel Voice Message"},
        {"0", 4, "Group 1"},
        {"6", 4, "Status = 0x6 (unrecognized)"},
        {"2", 4, "Channel 3"},
        {"3C00", 16, "Data"},
        {"12345678", 32, "Data"},
    };
    EXPECT_EQ(shown(rowsOf({0x40623C00, 0x12345678})), expected);
}

struct CountCase {
    const char* name;
    std::uint32_t w0;
    std::size_t rows;
};

// Each opcode's layout has its own row count; a wrong table entry shows here first.
const CountCase countCases[] = {
    {"RegisteredPerNote", 0x40003C01, 7},
    {"AssignablePerNote", 0x40103C01, 7},
    {"Rpn", 0x40200102, 7},
    {"Nrpn", 0x40300102, 7},
    {"RelativeRpn", 0x40400102, 7},
    {"RelativeNrpn", 0x40500102, 7},
    {"PerNotePitchBend", 0x40603C00, 6},
    {"Opcode7", 0x40700000, 6},
    {"NoteOff", 0x40803C00, 8},
    {"NoteOn", 0x40903C00, 8},
    {"PolyPressure", 0x40A03C00, 7},
    {"ControlChange", 0x40B00700, 7},
    {"ProgramChange", 0x40C00000, 10},
    {"ChannelPressure", 0x40D00000, 6},
    {"PitchBend", 0x40E00000, 6},
    {"PerNoteManagement", 0x40F03C03, 7},
};

class Midi2RowCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(Midi2RowCount, ByOpcode) {
    EXPECT_EQ(rowsOf({GetParam().w0, 0x80000000}).size(), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Opcodes, Midi2RowCount, ::testing::ValuesIn(countCases),
                         testing::CaseName());

struct LabelCase {
    const char* name;
    std::uint32_t w0;
    std::uint32_t w1;
    std::size_t row; // 0-based
    const char* label;
};

const LabelCase labelCases[] = {
    {"NoteOffAboveSevenBits", 0x40808000, 0, 4, "Note Number = note 128"},
    {"VelocityFull", 0x40903C00, 0xFFFF0000, 6, "Velocity = 100.00%"},
    {"AttributeTypeUnknownNumber", 0x40903C03, 0x00001234, 5, "Attribute Type = 3"},
    {"AttributeDataUnknownDecimal", 0x40903C03, 0x00001234, 7, "Attribute Data 4660"},
    {"PianoKeyVelocityType", 0x40903C04, 0x0000FFFF, 5,
     "Attribute Type = Key Velocity (Piano Profile)"},
    {"PianoKeyVelocityData", 0x40903C04, 0x0000FFFF, 7, "Attribute Data Key Velocity = 100.00%"},
    {"ArticulationData", 0x40903C11, 0x0000E0C9, 7, "Attribute Data with subfields:"},
    {"ArticulationType", 0x40903C11, 0x0000E0C9, 5,
     "Attribute Type = Articulation Classification: Staccatos and Shorts"},
    {"ProgramBankClear", 0x40C00000, 0x05000000, 5, "Bank Valid Flag = 0 (Bank not included)"},
    {"ProgramNumber", 0x40C00000, 0x05000000, 6, "Program Number = 5"},
    {"ProgramReserved", 0x40C00000, 0x05000000, 7, "Reserved"},
    {"BankMsbUnused", 0x40C00000, 0x05000000, 8, "Bank MSB — not used"},
    {"BankLsbUnused", 0x40C00000, 0x05001234, 9, "Bank LSB — not used"},
    {"BankMsbUsed", 0x40C00001, 0x05001234, 8, "Bank MSB = 18"},
    {"BankLsbUsed", 0x40C00001, 0x05001234, 9, "Bank LSB = 52"},
    {"RelativeMinusOne", 0x40400102, 0xFFFFFFFF, 6, "Relative Value = -1"},
    {"RelativeMostNegative", 0x40500102, 0x80000000, 6, "Relative Value = -2147483648"},
    {"RpnBank", 0x40200102, 0, 4, "Bank = 1"},
    {"RpnIndex", 0x402001FF, 0, 5, "Index = 255"},
    {"RpnValueHalf", 0x40200102, 0x80000000, 6, "Value = 2147483648 (50.00%)"},
    {"PerNoteControllerIndex", 0x40003C07, 0, 5, "Controller Index = 7"},
    {"PerNoteControllerValue", 0x40103C07, 0xFFFFFFFF, 6, "Value = 4294967295 (100.00%)"},
    {"ControlChangeFullByte", 0x40B0FF00, 0, 4, "Controller Number = 255"},
    {"ControlChangeReserved", 0x40B00700, 0, 5, "Reserved"},
    {"PolyPressure", 0x40A03C00, 0, 6, "Pressure = 0 (0.00%)"},
    {"PolyReserved", 0x40A03C00, 0, 5, "Reserved"},
    {"PerNoteManagementFlags", 0x40F03C03, 0, 5, "Option Flags = 0x03"},
    {"PerNoteManagementReserved", 0x40F03C03, 0, 6, "Reserved"},
    {"ChannelPressureReserved", 0x40D0FFFF, 0, 4, "Reserved"},
    {"ChannelPressureValue", 0x40D00000, 0x80000000, 5, "Pressure = 2147483648 (50.00%)"},
    {"BendCentre", 0x40E00000, 0x80000000, 5, "Bend Value = Center"},
    {"BendTop", 0x40E00000, 0xFFFFFFFF, 5, "Bend Value = +100.00%"},
    {"BendBottom", 0x40E00000, 0x00000000, 5, "Bend Value = -100.00%"},
    {"BendHalfUp", 0x40E00000, 0xC0000000, 5, "Bend Value = +50.00%"},
};

class Midi2Label : public ::testing::TestWithParam<LabelCase> {};

TEST_P(Midi2Label, ReadsAsWritten) {
    const auto rows = rowsOf({GetParam().w0, GetParam().w1});
    ASSERT_GT(rows.size(), GetParam().row);
    EXPECT_EQ(rows[GetParam().row].label, GetParam().label);
}

INSTANTIATE_TEST_SUITE_P(Cases, Midi2Label, ::testing::ValuesIn(labelCases), testing::CaseName());

TEST(Midi2Rows, ASingleWordGivesNoRowsAtAll) {
    EXPECT_TRUE(rowsOf({0x40903C00}).empty());
}

TEST(Midi2Rows, SubRowsHangOnTheAttributeDataRowOnly) {
    const auto rows = rowsOf({0x40903C20, 0x12341800});
    ASSERT_EQ(rows.size(), 8u);
    for (std::size_t i = 0; i < 7; ++i)
        EXPECT_TRUE(rows[i].subRows.empty()) << i;
    EXPECT_EQ(rows[7].subRows.size(), 2u);
    EXPECT_EQ(rows[6].label, "Velocity = 7.11%");
}

struct AttributeCase {
    const char* name;
    int type;
    std::uint16_t data;
    const char* typeText;
    const char* dataText;
    std::size_t subRows;
};

// One case at each edge of each attribute-type range.
const AttributeCase attributeCases[] = {
    {"None", 0, 0x1234, "No Attribute Data", "none", 0},
    {"ManufacturerSpecific", 1, 7, "1", "7", 0},
    {"BeforePiano", 3, 0x1234, "3", "4660", 0},
    {"Piano", 4, 0x8000, "Key Velocity (Piano Profile)", "Key Velocity = 50.00%", 0},
    {"AfterPiano", 5, 0, "5", "0", 0},
    {"BeforeArticulation", 15, 1, "15", "1", 0},
    {"FirstArticulation", 16, 0, "Articulation Classification: Core Sounds – Sustains and Strikes",
     "with subfields:", 6},
    {"LastArticulation", 23, 0, "Articulation Classification: Effects and Noises",
     "with subfields:", 6},
    {"ArticulationReserved", 24, 65535, "Reserved (Orchestral Articulation Profile)", "65535", 0},
    {"ArticulationReservedEnd", 25, 2, "Reserved (Orchestral Articulation Profile)", "2", 0},
    {"ArticulationCustom", 26, 3,
     "Custom / Library / Device-Specific Sound (Orchestral Articulation Profile)", "3", 0},
    {"ArticulationCustomEnd", 31, 3,
     "Custom / Library / Device-Specific Sound (Orchestral Articulation Profile)", "3", 0},
    {"Drums", 32, 0x1800, "Default Note Model: Gesture + Distance from Center (Drums Profile)",
     "with subfields:", 2},
    {"DrumsExcitation", 33, 5, "Alternate Note Model: Excitation (Drums Profile)",
     "not defined by the Drums Profile — see Excitation Per-Note Controller", 0},
    {"AfterDrums", 34, 9, "34", "9", 0},
    {"Highest", 255, 65535, "255", "65535", 0},
};

class Attribute : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(Attribute, Texts) {
    const auto& c = GetParam();
    const auto fields = attributeFields(static_cast<std::uint8_t>(c.type), c.data);
    EXPECT_EQ(fields.typeText, c.typeText);
    EXPECT_EQ(fields.dataText, c.dataText);
    EXPECT_EQ(fields.subRows.size(), c.subRows);
}

INSTANTIATE_TEST_SUITE_P(Types, Attribute, ::testing::ValuesIn(attributeCases),
                         testing::CaseName());

} // namespace
} // namespace umbrascope
