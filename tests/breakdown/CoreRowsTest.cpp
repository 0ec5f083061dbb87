#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRows.hpp"

namespace umbrascope {
namespace {

using testing::rowsOf;
using testing::Shown;
using testing::shown;

struct Case {
    const char* name;
    std::vector<std::uint32_t> words;
    std::vector<Shown> rows;
};

std::vector<FieldRow> rowsFor(const Case& c) {
    MIDIMessage message;
    message.words = PacketWords(std::span<const std::uint32_t>(c.words));
    message.messageType = classifyPacket(c.words.at(0)).type;
    return breakdownRows(message);
}

const Case oneWordCases[] = {
    {"UtilityNoop",
     {0x00000000},
     {{"0", 4, "Message Type = 0, Utility Message"},
      {"0", 4, "Group 1"},
      {"0", 4, "No Operation (NOOP)"},
      {"00000", 20, "Value = 0"}}},
    {"UtilityJrTimestampShowsAllTwentyBits",
     {0x0A2FFFFF},
     {{"0", 4, "Message Type = 0, Utility Message"},
      {"A", 4, "Group 11"},
      {"2", 4, "JR Timestamp"},
      {"FFFFF", 20, "Value = 1048575"}}},
    {"UtilityUnknownStatus",
     {0x00512345},
     {{"0", 4, "Message Type = 0, Utility Message"},
      {"0", 4, "Group 1"},
      {"5", 4, "Unrecognized"},
      {"12345", 20, "Value = 74565"}}},
    {"SystemSongSelect",
     {0x13F30005},
     {{"1", 4, "Message Type = 1, System Real-Time/Common Message"},
      {"3", 4, "Group 4"},
      {"F3", 8, "Status = 0xF3 (Song Select)"},
      {"00", 8, "Data 1 = 0"},
      {"05", 8, "Data 2 = 5"}}},
    {"SystemTimingClock",
     {0x10F80000},
     {{"1", 4, "Message Type = 1, System Real-Time/Common Message"},
      {"0", 4, "Group 1"},
      {"F8", 8, "Status = 0xF8 (Timing Clock)"},
      {"00", 8, "Data 1 = 0"},
      {"00", 8, "Data 2 = 0"}}},
    {"SystemDataMaskedToSevenBits",
     {0x1FF2FF81},
     {{"1", 4, "Message Type = 1, System Real-Time/Common Message"},
      {"F", 4, "Group 16"},
      {"F2", 8, "Status = 0xF2 (Song Position Pointer)"},
      {"FF", 8, "Data 1 = 127"},
      {"81", 8, "Data 2 = 1"}}},
    {"Midi1NoteOn",
     {0x20903C40},
     {{"2", 4, "Message Type = 2, MIDI 1.0 Channel Voice Message"},
      {"0", 4, "Group 1"},
      {"9", 4, "Note On"},
      {"0", 4, "Channel 1"},
      {"3C", 8, "Note Number = C4"},
      {"40", 8, "Velocity = 64 (50.39%)"}}},
    {"Midi1PitchBendCentre",
     {0x2FE00040},
     {{"2", 4, "Message Type = 2, MIDI 1.0 Channel Voice Message"},
      {"F", 4, "Group 16"},
      {"E", 4, "Pitch Bend"},
      {"0", 4, "Channel 1"},
      {"00", 8, "Bend LSB (fine)"},
      {"40", 8, "Bend MSB (coarse) — combined value 8192 of 16383"}}},
    {"Midi1RawBytesShownButValuesMasked",
     {0x2090FFFF},
     {{"2", 4, "Message Type = 2, MIDI 1.0 Channel Voice Message"},
      {"0", 4, "Group 1"},
      {"9", 4, "Note On"},
      {"0", 4, "Channel 1"},
      {"FF", 8, "Note Number = G9"},
      {"FF", 8, "Velocity = 127 (100.00%)"}}},
    {"Midi1UnrecognizedOpcodeMergesData",
     {0x20F01234},
     {{"2", 4, "Message Type = 2, MIDI 1.0 Channel Voice Message"},
      {"0", 4, "Group 1"},
      {"F", 4, "Status = 0xF (unrecognized)"},
      {"0", 4, "Channel 1"},
      {"1234", 16, "Data"}}},
    {"UnknownType", {0x6ABCDEF0}, {{"6ABCDEF0", 32, "Unrecognized message type"}}},
};

class OneWordBreakdown : public ::testing::TestWithParam<Case> {};

TEST_P(OneWordBreakdown, RowsAsShown) {
    EXPECT_EQ(shown(rowsFor(GetParam())), GetParam().rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, OneWordBreakdown, ::testing::ValuesIn(oneWordCases),
                         testing::CaseName());

// The data rows' labels of every MIDI 1.0 opcode (status, channel, data 1, data 2).
struct Midi1Case {
    const char* name;
    std::uint32_t word;
    std::vector<std::string> labels; // rows 3 onward
};

const Midi1Case midi1Cases[] = {
    {"NoteOff",
     0x20813D00,
     {"Note Off", "Channel 2", "Note Number = C sharp 4", "Velocity = 0 (0.00%)"}},
    {"NoteOnVelocityZeroStaysNoteOn",
     0x20903C00,
     {"Note On", "Channel 1", "Note Number = C4", "Velocity = 0 (0.00%)"}},
    {"PolyAftertouch",
     0x20AF007F,
     {"Polyphonic Aftertouch", "Channel 16", "Note Number = C-1", "Pressure = 127 (100.00%)"}},
    {"ControlChange",
     0x20B40778,
     {"Control Change", "Channel 5", "Controller Number = 7", "Value = 120 (94.49%)"}},
    {"ProgramChangeIsZeroBased",
     0x20C00500,
     {"Program Change", "Channel 1", "Program Number = 5", "Unused"}},
    {"ChannelAftertouch",
     0x20D04000,
     {"Channel Aftertouch", "Channel 1", "Pressure = 64 (50.39%)", "Unused"}},
    {"PitchBendTop",
     0x20E07F7F,
     {"Pitch Bend", "Channel 1", "Bend LSB (fine)",
      "Bend MSB (coarse) — combined value 16383 of 16383"}},
    {"PitchBendBottom",
     0x20E00000,
     {"Pitch Bend", "Channel 1", "Bend LSB (fine)",
      "Bend MSB (coarse) — combined value 0 of 16383"}},
    {"OpcodeZero", 0x20000000, {"Status = 0x0 (unrecognized)", "Channel 1", "Data"}},
    {"OpcodeSeven", 0x2079ABCD, {"Status = 0x7 (unrecognized)", "Channel 10", "Data"}},
};

class Midi1Labels : public ::testing::TestWithParam<Midi1Case> {};

TEST_P(Midi1Labels, FromRowThreeOn) {
    const auto rows = rowsOf({GetParam().word});
    ASSERT_GE(rows.size(), 2u);
    std::vector<std::string> labels;
    for (std::size_t i = 2; i < rows.size(); ++i)
        labels.push_back(rows[i].label);
    EXPECT_EQ(labels, GetParam().labels);
}

INSTANTIATE_TEST_SUITE_P(Cases, Midi1Labels, ::testing::ValuesIn(midi1Cases), testing::CaseName());

struct SystemStatusCase {
    std::uint32_t word;
    const char* statusLabel;
};

TEST(SystemRows, EveryStatusByteHasANameOrIsUnrecognized) {
    const SystemStatusCase cases[] = {
        {0x10F10000, "Status = 0xF1 (MIDI Time Code Quarter Frame)"},
        {0x10F60000, "Status = 0xF6 (Tune Request)"},
        {0x10FA0000, "Status = 0xFA (Start)"},
        {0x10FB0000, "Status = 0xFB (Continue)"},
        {0x10FC0000, "Status = 0xFC (Stop)"},
        {0x10FE0000, "Status = 0xFE (Active Sensing)"},
        {0x10FF0000, "Status = 0xFF (System Reset)"},
        {0x10F00000, "Status = 0xF0 (Unrecognized status)"},
        {0x10F40000, "Status = 0xF4 (Unrecognized status)"},
        {0x10F90000, "Status = 0xF9 (Unrecognized status)"},
        {0x10FD0000, "Status = 0xFD (Unrecognized status)"},
        {0x10800000, "Status = 0x80 (Unrecognized status)"},
        {0x10000000, "Status = 0x00 (Unrecognized status)"},
    };
    for (const auto& c : cases) {
        const auto rows = rowsOf({c.word});
        ASSERT_EQ(rows.size(), 5u) << std::hex << c.word;
        EXPECT_EQ(rows[2].label, c.statusLabel);
    }
}

TEST(Dispatch, FollowsTheStoredClassNotTheNibble) {
    MIDIMessage message = testing::messageOf({0x20903C40});
    message.messageType = UMPMessageType::unknown;
    EXPECT_EQ(shown(breakdownRows(message)),
              (std::vector<Shown>{{"20903C40", 32, "Unrecognized message type"}}));
}

TEST(Dispatch, NoWordsNoRows) {
    for (const auto type : allMessageTypes) {
        MIDIMessage message;
        message.messageType = type;
        EXPECT_TRUE(breakdownRows(message).empty()) << caseName(type);
    }
}

TEST(Dispatch, OneWordBuildersIgnoreFurtherWords) {
    EXPECT_EQ(shown(rowsOf({0x20903C40})),
              shown(breakdownRows(std::vector<std::uint32_t>{0x20903C40, 0xFFFFFFFF},
                                  UMPMessageType::midi1ChannelVoice)));
}

TEST(Dispatch, EveryRowGetsItsOwnIdentity) {
    const auto first = rowsOf({0x20903C40});
    const auto second = rowsOf({0x20903C40});
    ASSERT_EQ(first.size(), second.size());
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_FALSE(first[i].id == second[i].id);
        if (i > 0) {
            EXPECT_FALSE(first[i].id == first[i - 1].id);
        }
    }
}

} // namespace
} // namespace umbrascope
