#include <gtest/gtest.h>

#include <vector>

#include "RowExpectations.hpp"
#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {
namespace {

using rowtest::ExpectedRow;

struct DataCase {
    const char* name;
    UMPMessageType type;
    std::vector<std::uint32_t> words;
    std::vector<ExpectedRow> rows;
};

class DataRows : public testing::TestWithParam<DataCase> {};

TEST_P(DataRows, RowsInWireOrder) {
    const auto& c = GetParam();
    rowtest::expectRows(breakdownRows(c.words, c.type), c.rows);
}

const std::vector<ExpectedRow> sysEx8Header{
    {"5", 4, "Message Type = 5, SysEx8 (8-bit) / Mixed Data Set Message"},
    {"0", 4, "Group 1"},
    {"8", 4, "Mixed Data Set header"},
    {"1", 4, "Number of Data Bytes = 1"},
    {"00", 8, "Stream ID"},
    {"00", 8, "Data Byte 1"},
};

std::vector<ExpectedRow> withDataBytes(std::vector<ExpectedRow> rows, int count) {
    for (int i = 0; i < count; ++i)
        rows.push_back({"00", 8, "Data Byte"});
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Examples, DataRows,
    testing::Values(DataCase{"sysEx7Complete",
                             UMPMessageType::data64,
                             {0x30067E7F, 0x09010000},
                             {{"3", 4, "Message Type = 3, SysEx7 (7-bit) Message"},
                              {"0", 4, "Group 1"},
                              {"0", 4, "Complete SysEx message"},
                              {"6", 4, "Number of Data Bytes = 6"},
                              {"7E", 8, "Data Byte 1"},
                              {"7F", 8, "Data Byte 2"},
                              {"09", 8, "Data Byte 3"},
                              {"01", 8, "Data Byte 4"},
                              {"00", 8, "Data Byte 5"},
                              {"00", 8, "Data Byte 6"}}},
                    DataCase{"sysEx7UnrecognizedStatusOneWord",
                             UMPMessageType::data64,
                             {0x3F5A1234},
                             {{"3", 4, "Message Type = 3, SysEx7 (7-bit) Message"},
                              {"F", 4, "Group 16"},
                              {"5", 4, "Unrecognized"},
                              {"A", 4, "Number of Data Bytes = 10"},
                              {"12", 8, "Data Byte 1"},
                              {"34", 8, "Data Byte 2"}}},
                    DataCase{"sysEx8MixedDataSetHeader",
                             UMPMessageType::data128,
                             {0x50810000, 0, 0, 0},
                             withDataBytes(sysEx8Header, 12)},
                    DataCase{
                        "sysEx8FirstWordOnly", UMPMessageType::data128, {0x50810000}, sysEx8Header},
                    DataCase{"sysEx8TwoWords",
                             UMPMessageType::data128,
                             {0x50810000, 0},
                             withDataBytes(sysEx8Header, 4)},
                    DataCase{"sysEx8ThreeWords",
                             UMPMessageType::data128,
                             {0x50810000, 0, 0},
                             withDataBytes(sysEx8Header, 8)},
                    DataCase{"sysEx8Bytes",
                             UMPMessageType::data128,
                             {0x5329AB01, 0x02030405},
                             {{"5", 4, "Message Type = 5, SysEx8 (8-bit) / Mixed Data Set Message"},
                              {"3", 4, "Group 4"},
                              {"2", 4, "Continuation of SysEx8 message"},
                              {"9", 4, "Number of Data Bytes = 9"},
                              {"AB", 8, "Stream ID"},
                              {"01", 8, "Data Byte 1"},
                              {"02", 8, "Data Byte"},
                              {"03", 8, "Data Byte"},
                              {"04", 8, "Data Byte"},
                              {"05", 8, "Data Byte"}}},
                    DataCase{"sysEx7Empty", UMPMessageType::data64, {}, {}},
                    DataCase{"sysEx8Empty", UMPMessageType::data128, {}, {}}),
    [](const auto& param) { return param.param.name; });

TEST(DataRowCounts, WordsBeyondThePacketAreNotShown) {
    EXPECT_EQ(sysEx7Rows(std::vector<std::uint32_t>{0x30000000, 0, 0xFFFFFFFF}).size(), 10u);
    EXPECT_EQ(sysEx8Rows(std::vector<std::uint32_t>{0x50000000, 0, 0, 0, 0xFFFFFFFF}).size(), 18u);
}

TEST(DataStatusNames, EverySixteenStatuses) {
    const char* sysEx7[16] = {"Complete SysEx message", "Start of SysEx message",
                              "Continuation of SysEx message", "End of SysEx message"};
    const char* sysEx8[16] = {"Complete SysEx8 message",
                              "Start of SysEx8 message",
                              "Continuation of SysEx8 message",
                              "End of SysEx8 message",
                              nullptr,
                              nullptr,
                              nullptr,
                              nullptr,
                              "Mixed Data Set header",
                              "Mixed Data Set payload"};
    for (std::uint32_t s = 0; s < 16; ++s) {
        const std::vector<std::uint32_t> w7{0x30000000 | s << 20};
        const std::vector<std::uint32_t> w8{0x50000000 | s << 20};
        EXPECT_EQ(sysEx7Rows(w7)[2].label, sysEx7[s] ? sysEx7[s] : "Unrecognized")
            << "status " << s;
        EXPECT_EQ(sysEx8Rows(w8)[2].label, sysEx8[s] ? sysEx8[s] : "Unrecognized")
            << "status " << s;
    }
}

TEST(DataRowDigits, EveryDigitOfThePacketShownOnceInOrder) {
    const std::vector<std::uint32_t> sysEx7{0x3F1C8899, 0xA1B2C3D4};
    const std::vector<std::uint32_t> sysEx8{0x5E3D1122, 0x33445566, 0x778899AA, 0xBBCCDDEE};
    EXPECT_EQ(rowtest::joinedHex(sysEx7Rows(sysEx7)), rowtest::renderedWords(sysEx7));
    EXPECT_EQ(rowtest::joinedHex(sysEx8Rows(sysEx8)), rowtest::renderedWords(sysEx8));
}

} // namespace
} // namespace umbrascope
