#include <gtest/gtest.h>

#include "ExpectedRows.hpp"
#include "breakdown/Midi2ChannelVoiceRows.hpp"

namespace umbrascope {
namespace {

using testing::labelsOf;
using testing::rowsOf;

struct Case {
    const char* name;
    std::uint32_t w0;
    std::uint32_t w1;
    std::size_t rows;
    const char* labels; // from the status row on
};

const Case cases[] = {
    {"NoteOn", 0x40903C00, 0x80000000, 8,
     "Note On | Channel 1 | Note Number = C4 | Attribute Type = No Attribute Data | Velocity = "
     "50.00% | "
     "Attribute Data none"},
    {"NoteOffHighNote", 0x408F8003, 0xFFFF1234, 8,
     "Note Off | Channel 16 | Note Number = note 128 | Attribute Type = 3 | Velocity = 100.00% | "
     "Attribute Data 4660"},
    {"NoteOnPiano", 0x40903C04, 0x0000FFFF, 8,
     "Note On | Channel 1 | Note Number = C4 | Attribute Type = Key Velocity (Piano Profile) | "
     "Velocity = 0.00% | Attribute Data Key Velocity = 100.00%"},
    {"NoteOnDrums", 0x40903C20, 0x12341800, 8,
     "Note On | Channel 1 | Note Number = C4 | Attribute Type = Default Note Model: Gesture + "
     "Distance "
     "from Center (Drums Profile) | Velocity = 7.11% | Attribute Data with subfields: | > Gesture "
     "= 1 "
     "Normal Strike | > Distance from Center = 50.01% (2048 of 4095)"},
    {"PolyPressure", 0x40A03CFF, 0x80000000, 7,
     "Polyphonic Aftertouch | Channel 1 | Note Number = C4 | Reserved | Pressure = 2147483648 "
     "(50.00%)"},
    {"RegisteredPerNote", 0x40003C07, 0xFFFFFFFF, 7,
     "Registered Per-Note Controller | Channel 1 | Note Number = C4 | Controller Index = 7 | "
     "Value = 4294967295 (100.00%)"},
    {"ControlChange", 0x40B0FF00, 0, 7,
     "Control Change | Channel 1 | Controller Number = 255 | Reserved | Value = 0 (0.00%)"},
    {"Rpn", 0x402001FF, 0, 7,
     "Registered Controller (RPN) | Channel 1 | Bank = 1 | Index = 255 | Value = 0 (0.00%)"},
    {"RelativeRpn", 0x40400102, 0xFFFFFFFF, 7,
     "Relative Registered Controller | Channel 1 | Bank = 1 | Index = 2 | Relative Value = -1"},
    {"PerNoteManagement", 0x40F03C03, 0, 7,
     "Per-Note Management | Channel 1 | Note Number = C4 | Option Flags = 0x03 | Reserved"},
    {"ProgramNoBank", 0x40C00000, 0x05001234, 10,
     "Program Change | Channel 1 | Reserved | Bank Valid Flag = 0 (Bank not included) | "
     "Program Number = 5 | Reserved | Bank MSB — not used | Bank LSB — not used"},
    {"ProgramBank", 0x40C00001, 0x850092B4, 10,
     "Program Change | Channel 1 | Reserved | Bank Valid Flag = 1 (Bank included) | "
     "Program Number = 5 | Reserved | Bank MSB = 18 | Bank LSB = 52"},
    {"ChannelPressure", 0x40D0FFFF, 0x80000000, 6,
     "Channel Aftertouch | Channel 1 | Reserved | Pressure = 2147483648 (50.00%)"},
    {"BendCentre", 0x40E00000, 0x80000000, 6,
     "Pitch Bend | Channel 1 | Reserved | Bend Value = Center"},
    {"BendHalfUp", 0x40E00000, 0xC0000000, 6,
     "Pitch Bend | Channel 1 | Reserved | Bend Value = +50.00%"},
    {"PerNotePitchBend", 0x40623C00, 0x12345678, 6,
     "Status = 0x6 (unrecognized) | Channel 3 | Data | Data"},
};

class Midi2Rows : public ::testing::TestWithParam<Case> {};

TEST_P(Midi2Rows, CountAndLabels) {
    const auto& c = GetParam();
    const auto rows = rowsOf({c.w0, c.w1});
    EXPECT_EQ(rows.size(), c.rows);
    EXPECT_EQ(labelsOf(rows), "Message Type = 4, MIDI 2.0 Channel Voice Message | Group 1 | " +
                                  std::string(c.labels));
}

INSTANTIATE_TEST_SUITE_P(Opcodes, Midi2Rows, ::testing::ValuesIn(cases), testing::CaseName());

struct AttributeCase {
    const char* name;
    int type;
    std::uint16_t data;
    const char* texts; // type text | data text, then the sub-rows
};

// Each edge of each attribute-type range.
const AttributeCase attributeCases[] = {
    {"None", 0, 0x1234, "No Attribute Data | none"},
    {"BeforePiano", 3, 0x1234, "3 | 4660"},
    {"Piano", 4, 0x8000, "Key Velocity (Piano Profile) | Key Velocity = 50.00%"},
    {"AfterPiano", 5, 0, "5 | 0"},
    {"BeforeArticulation", 15, 1, "15 | 1"},
    {"ArticulationHasSubRows", 16, 0,
     "Articulation Classification: Core Sounds – Sustains and Strikes | with subfields: | > "
     "SubClass = 0 Normal Sustains & Strikes (Part 1) | > Variation = 0 | > Direction = 0 "
     "Determined by the Receiver or Automatic | > Reserved | > Reset Round Robin = 0 False | > "
     "String = 0 No String Assignment"},
    {"ArticulationReserved", 24, 65535, "Reserved (Orchestral Articulation Profile) | 65535"},
    {"ArticulationReservedEnd", 25, 2, "Reserved (Orchestral Articulation Profile) | 2"},
    {"Custom", 26, 3,
     "Custom / Library / Device-Specific Sound (Orchestral Articulation Profile) | 3"},
    {"CustomEnd", 31, 3,
     "Custom / Library / Device-Specific Sound (Orchestral Articulation Profile) | 3"},
    {"DrumsExcitation", 33, 5,
     "Alternate Note Model: Excitation (Drums Profile) | not defined by the Drums Profile — see "
     "Excitation Per-Note Controller"},
    {"AfterDrums", 34, 9, "34 | 9"},
};

class Attribute : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(Attribute, Texts) {
    auto fields = attributeFields(static_cast<std::uint8_t>(GetParam().type), GetParam().data);
    auto shown = FieldRow::withBits(16, fields.typeText + " | " + fields.dataText);
    shown.subRows = std::move(fields.subRows);
    EXPECT_EQ(labelsOf({shown}), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(Types, Attribute, ::testing::ValuesIn(attributeCases),
                         testing::CaseName());

} // namespace
} // namespace umbrascope
