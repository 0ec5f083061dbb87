#include <gtest/gtest.h>

#include "ExpectedRows.hpp"

namespace umbrascope {
namespace {

using testing::checkedRows;
using testing::labelsOf;

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

TEST(Dispatch, TheStoredClassWinsAndNoWordsGiveNoRows) {
    auto message = testing::messageOf({0x20903C40, 0x12345678});
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
