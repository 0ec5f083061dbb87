#include <gtest/gtest.h>

#include <string>

#include "model/Packet.hpp"
#include "text/Description.hpp"

namespace umbrascope {
namespace {

struct DescriptionCase {
    const char* name;
    PacketWords words;
    const char* expected;
};

class Describe : public testing::TestWithParam<DescriptionCase> {};

TEST_P(Describe, PacketGivesItsDescription) {
    const auto& c = GetParam();
    EXPECT_EQ(describePacket(c.words, classifyPacket(c.words[0]).type), c.expected);
}

// The dash before channel and group is U+2014.
#define D " \u2014 "

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Examples, Describe,
    testing::Values(
        DescriptionCase{"m1NoteOn", {0x20903C64}, "Note On: C4 (60), velocity 100 (78.74%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m1NoteOnVelocity0", {0x2F903C00}, "Note Off (Note On, velocity 0): C4 (60)" D "Ch 1, Grp 16"},
        DescriptionCase{"m1PanLeft", {0x20B00A00}, "Control Change: Pan (CC10) = Left 100.00%" D "Ch 1, Grp 1"},
        DescriptionCase{"m1BendCentre", {0x20E00040}, "Pitch Bend: Center" D "Ch 1, Grp 1"},
        DescriptionCase{"m1Volume", {0x20B40778}, "Control Change: Volume (CC7) = 120 (94.49%)" D "Ch 5, Grp 1"},
        DescriptionCase{"m2NoteOn", {0x40903C00, 0xFFFF0000}, "Note On: C4 (60), velocity 65535 (100.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m2NoteOnCutShort", {0x40903C00}, "Note On: C4 (60), velocity 0 (0.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m2ProgramWithBank", {0x40C00001, 0x05000102}, "Program Change: program 5, bank 1/2" D "Ch 1, Grp 1"},
        DescriptionCase{"m2PerNoteManagement", {0x40F0C800}, "Per-Note Management: note 200, flags 0x00" D "Ch 1, Grp 1"},
        DescriptionCase{"songPosition", {0x10F20102}, "Song Position Pointer: 257" D "Grp 1"},
        DescriptionCase{"systemF4", {0x10F40000}, "System message, status 0xF4" D "Grp 1"},
        DescriptionCase{"utility7", {0x00700000}, "Utility message (status 7)"},
        DescriptionCase{"sysEx7Start", {0x30160000, 0}, "Start of SysEx message, 6 data byte(s)" D "Grp 1"},
        DescriptionCase{"flexClipName", {0xD0400103, 0, 0, 0}, "Start of Flex Data: MIDI Clip Name" D "Grp 1"},
        DescriptionCase{"flexBank3", {0xD0000300, 0, 0, 0}, "Complete Flex Data: message (bank 0x03)" D "Grp 1"},
        DescriptionCase{"stream6", {0xF0060000, 0, 0, 0}, "UMP Stream message, status 0x6"},
        DescriptionCase{"startOfClip", {0xF0200000, 0, 0, 0}, "Start of Clip"},
        // The fallbacks, the other branches of each table, 1-based numbering.
        DescriptionCase{"noop", {0x00000000}, "No Operation (NOOP)"},
        DescriptionCase{"jrClock", {0x0010FFFF}, "JR Clock timestamp: 65535"},
        DescriptionCase{"quarterFrame", {0x13F17F00}, "MIDI Time Code Quarter Frame: 127" D "Grp 4"},
        DescriptionCase{"songSelect", {0x10F30500}, "Song Select: song 5" D "Grp 1"},
        DescriptionCase{"clock", {0x1FF80000}, "Timing Clock" D "Grp 16"},
        DescriptionCase{"systemBelowF1", {0x10800000}, "System message, status 0x80" D "Grp 1"},
        DescriptionCase{"m1NoteOffHighNote", {0x208F7F40}, "Note Off: G9 (127), velocity 64 (50.39%)" D "Ch 16, Grp 1"},
        DescriptionCase{"m1PolyPressure", {0x20A13D7F}, "Polyphonic Aftertouch: C#4 (61), pressure 127 (100.00%)" D "Ch 2, Grp 1"},
        DescriptionCase{"m1UnnamedController", {0x20B00200}, "Control Change: CC2 = 0 (0.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m1Program", {0x20C07F00}, "Program Change: program 127" D "Ch 1, Grp 1"},
        DescriptionCase{"m1ChannelPressure", {0x20D04000}, "Channel Aftertouch: pressure 64 (50.39%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m1Opcode3", {0x20300000}, "MIDI 1.0 Channel Voice, status 0x3" D "Ch 1, Grp 1"},
        DescriptionCase{"m2RegisteredPerNote", {0x40003C07, 0x80000000}, "Registered Per-Note Controller 7 on C4 (60): 2147483648 (50.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m2Rpn", {0x40200006, 0xFFFFFFFF}, "Registered Controller (RPN) 0/6: 4294967295 (100.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m2RelativeNegative", {0x40400102, 0xFFFFFFFE}, "Relative Registered Controller 1/2: -2" D "Ch 1, Grp 1"},
        DescriptionCase{"m2NoteOff", {0x42833C00, 0x80000000}, "Note Off: C4 (60), velocity 32768 (50.00%)" D "Ch 4, Grp 3"},
        DescriptionCase{"m2PolyPressure", {0x40A03C00, 0xFFFFFFFF}, "Polyphonic Aftertouch: C4 (60), pressure 4294967295 (100.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m2ControllerAbove127", {0x40B0C800, 0}, "Control Change: CC200 = 0 (0.00%)" D "Ch 1, Grp 1"},
        DescriptionCase{"m2ProgramNoBank", {0x40C00000, 0x05000102}, "Program Change: program 5" D "Ch 1, Grp 1"},
        DescriptionCase{"m2BendCentre", {0x40E00000, 0x80000000}, "Pitch Bend: Center" D "Ch 1, Grp 1"},
        DescriptionCase{"m2PerNotePitchBendFallback", {0x40603C00, 0x80000000}, "MIDI 2.0 Channel Voice, status 0x6" D "Ch 1, Grp 1"},
        DescriptionCase{"m2PerNoteFlags", {0x40F03C03, 0}, "Per-Note Management: C4 (60), flags 0x03" D "Ch 1, Grp 1"},
        DescriptionCase{"sysEx7Fragment", {0x30410000, 0}, "SysEx fragment, 1 data byte(s)" D "Grp 1"},
        DescriptionCase{"sysEx8Complete", {0x50000000, 0, 0, 0}, "Complete SysEx8 message" D "Grp 1"},
        DescriptionCase{"data128Fallback", {0x50A00000, 0, 0, 0}, "Data (8-bit) message, status 0xA" D "Grp 1"},
        DescriptionCase{"flexChord", {0xD0800006, 0, 0, 0}, "Continuation of Flex Data: Set Chord Name" D "Grp 1"},
        DescriptionCase{"flexSetupGap", {0xD0000003, 0, 0, 0}, "Complete Flex Data: setup/performance event, status 0x03" D "Grp 1"},
        DescriptionCase{"flexMetadataLast", {0xD000010C, 0, 0, 0}, "Complete Flex Data: Recording/Concert Location" D "Grp 1"},
        DescriptionCase{"flexMetadataOther", {0xD000010D, 0, 0, 0}, "Complete Flex Data: metadata text event" D "Grp 1"},
        DescriptionCase{"flexPerformanceOther", {0xD0000205, 0, 0, 0}, "Complete Flex Data: performance text event" D "Grp 1"},
        DescriptionCase{"streamDiscovery", {0xF0000000, 0, 0, 0}, "Endpoint Discovery request"},
        DescriptionCase{"streamFormatBitsIgnored", {0xFC210000, 0, 0, 0}, "End of Clip"},
        DescriptionCase{"streamTenBitStatus", {0xF3FF0000, 0, 0, 0}, "UMP Stream message, status 0x3FF"},
        DescriptionCase{"nibble6", {0x60000000}, "Unrecognized message type"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

#undef D

} // namespace
} // namespace umbrascope
