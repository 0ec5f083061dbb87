#include <gtest/gtest.h>

#include "ExpectedRows.hpp"
#include "breakdown/MIDI2ChannelVoiceRows.hpp"
#include "breakdown/ProfileAttributes.hpp"

namespace umbrascope {
namespace {

using testing::checkedRows;
using testing::labelsOf;

TEST(MIDI2Rows, Labels) {
    const struct {
        std::uint32_t w0, w1;
        const char* labels; // from the status row on
    } cases[] = {
        {0x40903C00, 0x80000000,
         "Note On | Channel 1 | Note Number = C4 | Attribute Type = No Attribute Data | Velocity = "
         "50.00% | Attribute Data none"},
        {0x408F8003, 0xFFFF1234,
         "Note Off | Channel 16 | Note Number = note 128 | Attribute Type = 3 | Velocity = 100.00% "
         "| Attribute Data 4660"},
        {0x40903C11, 0xFFFFE0C9,
         "Note On | Channel 1 | Note Number = C4 | Attribute Type = Articulation Classification: "
         "Staccatos and Shorts | Velocity = 100.00% | Attribute Data with subfields: | > SubClass "
         "= "
         "E String Hand Tap | > Variation = 0 | > Direction = 3 Reserved | > Reserved | > Reset "
         "Round Robin = 1 True | > String = 1 First String (highest pitched)"},
        {0x40903C20, 0x00000FFF,
         "Note On | Channel 1 | Note Number = C4 | Attribute Type = Default Note Model: Gesture + "
         "Distance from Center (Drums Profile) | Velocity = 0.00% | Attribute Data with subfields: "
         "| > Gesture = 0 Hi-Hat Pedal | > Distance from Center = 100.00% (4095 of 4095)"},
        {0x40B0FF00, 0,
         "Control Change | Channel 1 | Controller Number = 255 | Reserved | Value = 0 (0.00%)"},
        {0x402001FF, 0,
         "Registered Controller (RPN) | Channel 1 | Bank = 1 | Index = 255 | Value = 0 (0.00%)"},
        {0x40400102, 0xFFFFFFFF,
         "Relative Registered Controller | Channel 1 | Bank = 1 | Index = 2 | Relative Value = -1"},
        {0x40F03C03, 0,
         "Per-Note Management | Channel 1 | Note Number = C4 | Option Flags = 0x03 | Reserved"},
        {0x40C00000, 0x05001234,
         "Program Change | Channel 1 | Reserved | Bank Valid Flag = 0 (Bank not included) | "
         "Program Number = 5 | Reserved | Bank MSB — not used | Bank LSB — not used"},
        {0x40C00001, 0x850092B4,
         "Program Change | Channel 1 | Reserved | Bank Valid Flag = 1 (Bank included) | "
         "Program Number = 5 | Reserved | Bank MSB = 18 | Bank LSB = 52"},
        {0x40D0FFFF, 0x80000000,
         "Channel Aftertouch | Channel 1 | Reserved | Pressure = 2147483648 (50.00%)"},
        {0x40E00000, 0x80000000, "Pitch Bend | Channel 1 | Reserved | Bend Value = Center"},
        {0x40623C00, 0x12345678, "Status = 0x6 (unrecognized) | Channel 3 | Data | Data"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(labelsOf(checkedRows({c.w0, c.w1})),
                  "Message Type = 4, MIDI 2.0 Channel Voice Message | Group 1 | " +
                      std::string(c.labels))
            << std::hex << c.w0;
    EXPECT_TRUE(checkedRows({0x40903C00}).empty()) << "one word is not a MIDI 2.0 message";
}

// The edges of each range of attribute types.
TEST(MIDI2Rows, AttributeTypeRanges) {
    const struct {
        int type;
        std::uint16_t data;
        const char* texts; // type text | data text
    } cases[] = {
        {4, 0xFFFF, "Key Velocity (Piano Profile) | Key Velocity = 100.00%"},
        {5, 0, "5 | 0"},
        {15, 1, "15 | 1"},
        {16, 0,
         "Articulation Classification: Core Sounds – Sustains and Strikes | with subfields:"},
        {23, 0, "Articulation Classification: Effects and Noises | with subfields:"},
        {24, 65535, "Reserved (Orchestral Articulation Profile) | 65535"},
        {25, 2, "Reserved (Orchestral Articulation Profile) | 2"},
        {26, 3, "Custom / Library / Device-Specific Sound (Orchestral Articulation Profile) | 3"},
        {31, 3, "Custom / Library / Device-Specific Sound (Orchestral Articulation Profile) | 3"},
        {33, 5,
         "Alternate Note Model: Excitation (Drums Profile) | not defined by the Drums "
         "Profile — see Excitation Per-Note Controller"},
        {34, 9, "34 | 9"},
    };
    for (const auto& c : cases) {
        const auto fields = attributeFields(static_cast<std::uint8_t>(c.type), c.data);
        EXPECT_EQ(fields.typeText + " | " + fields.dataText, c.texts) << c.type;
    }
}

// Keys outside each name table, on either side, give its fall-back text.
TEST(ProfileNames, FallBacks) {
    const std::pair<std::string_view, std::string_view> names[] = {
        {articulationSubClassName(16, 16), "Reserved"},
        {articulationSubClassName(24, 0), "Reserved"},
        {articulationClassificationName(15), "Unrecognized Classification"},
        {articulationClassificationName(24), "Unrecognized Classification"},
        {articulationDirectionName(4), "Reserved"},
        {articulationStringName(8), "Unrecognized"},
        {drumsGestureName(-1), "Reserved"},
    };
    for (const auto& [actual, expected] : names)
        EXPECT_EQ(actual, expected);
}

} // namespace
} // namespace umbrascope
