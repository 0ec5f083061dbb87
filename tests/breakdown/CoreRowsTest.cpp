#include <gtest/gtest.h>

#include "ExpectedRows.hpp"
#include "support/MessageFactory.hpp"

namespace umbrascope {
namespace {

using testing::checkedRows;
using testing::labelsOf;
using Lines = std::vector<std::string>;

TEST(OneWordRows, Labels) {
    const struct {
        std::uint32_t word;
        const char* labels;
    } cases[] = {
        {0x00000000, "Group 1 | No Operation (NOOP) | Value = 0"},
        {0x0A2FFFFF, "Group 11 | JR Timestamp | Value = 1048575"},
        {0x00512345, "Group 1 | Unrecognized | Value = 74565"},
        {0x13F30005, "Group 4 | Status = 0xF3 (Song Select) | Data 1 = 0 | Data 2 = 5"},
        {0x1FF2FF81,
         "Group 16 | Status = 0xF2 (Song Position Pointer) | Data 1 = 127 | Data 2 = 1"},
        {0x10F90000, "Group 1 | Status = 0xF9 (Unrecognized status) | Data 1 = 0 | Data 2 = 0"},
        {0x10800000, "Group 1 | Status = 0x80 (Unrecognized status) | Data 1 = 0 | Data 2 = 0"},
        {0x20903C40, "Group 1 | Note On | Channel 1 | Note Number = C4 | Velocity = 64 (50.39%)"},
        {0x20903C00, "Group 1 | Note On | Channel 1 | Note Number = C4 | Velocity = 0 (0.00%)"},
        {0x2F81FFFF,
         "Group 16 | Note Off | Channel 2 | Note Number = G9 | Velocity = 127 (100.00%)"},
        {0x20C00500, "Group 1 | Program Change | Channel 1 | Program Number = 5 | Unused"},
        {0x2FE00040, "Group 16 | Pitch Bend | Channel 1 | Bend LSB (fine) | Bend MSB (coarse) — "
                     "combined value 8192 of 16383"},
        {0x20F01234, "Group 1 | Status = 0xF (unrecognized) | Channel 1 | Data"},
    };
    const char* types[] = {"Message Type = 0, Utility Message | ",
                           "Message Type = 1, System Real-Time/Common Message | ",
                           "Message Type = 2, MIDI 1.0 Channel Voice Message | "};
    for (const auto& c : cases) {
        const auto rows = checkedRows({c.word});
        EXPECT_EQ(labelsOf(rows), types[c.word >> 28] + std::string(c.labels))
            << std::hex << c.word;
        std::int64_t bits = 0;
        for (const auto& row : rows)
            bits += row.bits;
        EXPECT_EQ(bits, 32) << "the rows cover the word: " << std::hex << c.word;
    }
}

// Packets of more than one word, each row as "{hex}:{bits} {label}", in wire order.
TEST(PacketRows, RowsInWireOrder) {
    const std::string stream = "Message Type = F, UMP Stream Message; Status = ";
    const Lines mixedHeader{"5:4 Message Type = 5, SysEx8 (8-bit) / Mixed Data Set Message",
                            "0:4 Group 1",
                            "8:4 Mixed Data Set header",
                            "1:4 Number of Data Bytes = 1",
                            "00:8 Stream ID",
                            "00:8 Data Byte 1"};
    Lines mixedPacket = mixedHeader;
    mixedPacket.insert(mixedPacket.end(), 12, "00:8 Data Byte");
    const struct {
        const char* name;
        testing::Words words;
        Lines rows;
    } cases[] = {
        {"sysEx7Complete",
         {0x30067E7F, 0x09010000},
         {"3:4 Message Type = 3, SysEx7 (7-bit) Message", "0:4 Group 1",
          "0:4 Complete SysEx message", "6:4 Number of Data Bytes = 6", "7E:8 Data Byte 1",
          "7F:8 Data Byte 2", "09:8 Data Byte 3", "01:8 Data Byte 4", "00:8 Data Byte 5",
          "00:8 Data Byte 6"}},
        {"sysEx7UnrecognizedStatusOneWord",
         {0x3F5A1234},
         {"3:4 Message Type = 3, SysEx7 (7-bit) Message", "F:4 Group 16", "5:4 Unrecognized",
          "A:4 Number of Data Bytes = 10", "12:8 Data Byte 1", "34:8 Data Byte 2"}},
        {"mixedDataSetHeader", {0x50810000, 0, 0, 0}, mixedPacket},
        {"sysEx8FirstWordOnly", {0x50810000}, mixedHeader},
        {"sysEx8FifthWordIgnored", {0x50810000, 0, 0, 0, 9}, mixedPacket},
        {"endpointDiscovery",
         {0xF0000101, 0x0000001F, 0, 0},
         {"F000:16 " + stream + "0x000 (Endpoint Discovery request)", "0101:16 Data",
          "0000001F:32 Data Word 1", "00000000:32 Data Word 2", "00000000:32 Data Word 3"}},
        {"oneWord", {0xF0200000}, {"F020:16 " + stream + "0x020 (Start of Clip)", "0000:16 Data"}},
        {"formatBitsInsideTheFirstRow",
         {0xF4030000, 0x41424344, 0xFFFFFFFF},
         {"F403:16 " + stream + "0x003 (Endpoint Name Notification)", "0000:16 Data",
          "41424344:32 Data Word 1", "FFFFFFFF:32 Data Word 2"}},
        {"statusInTheGap",
         {0xF0060000},
         {"F006:16 " + stream + "0x006 (Unrecognized)", "0000:16 Data"}},
        {"wordsPastTheFourthIgnored",
         {0xFFFF1234, 1, 2, 3, 4},
         {"FFFF:16 " + stream + "0x3FF (Unrecognized)", "1234:16 Data", "00000001:32 Data Word 1",
          "00000002:32 Data Word 2", "00000003:32 Data Word 3"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(testing::rendered(testing::checkedRows(c.words)), c.rows) << c.name;
}

TEST(Dispatch, TheStoredClassWinsAndNoWordsGiveNoRows) {
    auto message = testing_support::makeMessage({0x20903C40, 0x12345678});
    message.messageType = UMPMessageType::unknown;
    EXPECT_EQ(testing::rendered(breakdownRows(message)),
              std::vector<std::string>{"20903C40:32 Unrecognized message type"});
    for (const auto type : allMessageTypes) {
        MIDIMessage empty;
        empty.messageType = type;
        EXPECT_TRUE(breakdownRows(empty).empty()) << caseName(type);
    }
}

TEST(Dispatch, EveryRowGetsAFreshIdentity) {
    const auto first = checkedRows({0x20903C40});
    const auto second = checkedRows({0x20903C40});
    for (std::size_t i = 1; i < first.size(); ++i) {
        EXPECT_FALSE(first[i].id == second[i].id);
        EXPECT_FALSE(first[i].id == first[i - 1].id);
    }
}

} // namespace
} // namespace umbrascope
