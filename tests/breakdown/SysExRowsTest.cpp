#include <gtest/gtest.h>

#include "ExpectedRows.hpp"
#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {
namespace {

using Lines = std::vector<std::string>;

struct DataCase {
    const char* name;
    UMPMessageType type;
    std::vector<std::uint32_t> words;
    Lines rows;
};

class DataRows : public ::testing::TestWithParam<DataCase> {};

TEST_P(DataRows, RowsInWireOrder) {
    EXPECT_EQ(testing::rendered(breakdownRows(GetParam().words, GetParam().type)), GetParam().rows);
}

const Lines mixedHeader{"5:4 Message Type = 5, SysEx8 (8-bit) / Mixed Data Set Message",
                        "0:4 Group 1",
                        "8:4 Mixed Data Set header",
                        "1:4 Number of Data Bytes = 1",
                        "00:8 Stream ID",
                        "00:8 Data Byte 1"};

Lines withDataBytes(Lines rows, int count) {
    rows.insert(rows.end(), static_cast<std::size_t>(count), "00:8 Data Byte");
    return rows;
}

using T = UMPMessageType;
INSTANTIATE_TEST_SUITE_P(
    Examples, DataRows,
    ::testing::Values(
        DataCase{"sysEx7Complete",
                 T::data64,
                 {0x30067E7F, 0x09010000},
                 {"3:4 Message Type = 3, SysEx7 (7-bit) Message", "0:4 Group 1",
                  "0:4 Complete SysEx message", "6:4 Number of Data Bytes = 6", "7E:8 Data Byte 1",
                  "7F:8 Data Byte 2", "09:8 Data Byte 3", "01:8 Data Byte 4", "00:8 Data Byte 5",
                  "00:8 Data Byte 6"}},
        DataCase{"sysEx7UnrecognizedStatusOneWord",
                 T::data64,
                 {0x3F5A1234},
                 {"3:4 Message Type = 3, SysEx7 (7-bit) Message", "F:4 Group 16",
                  "5:4 Unrecognized", "A:4 Number of Data Bytes = 10", "12:8 Data Byte 1",
                  "34:8 Data Byte 2"}},
        DataCase{"mixedDataSetHeader",
                 T::data128,
                 {0x50810000, 0, 0, 0},
                 withDataBytes(mixedHeader, 12)},
        DataCase{"sysEx8FirstWordOnly", T::data128, {0x50810000}, mixedHeader},
        DataCase{"sysEx8TwoWords", T::data128, {0x50810000, 0}, withDataBytes(mixedHeader, 4)},
        DataCase{"sysEx8FifthWordIgnored",
                 T::data128,
                 {0x50810000, 0, 0, 0, 9},
                 withDataBytes(mixedHeader, 12)},
        DataCase{"empty", T::data128, {}, {}}),
    testing::CaseName());

TEST(DataStatusNames, LastNamesAndTheGaps) {
    const auto sysEx7 = [](std::uint32_t s) {
        return sysEx7Rows(std::vector{0x30000000 | s << 20})[2].label;
    };
    const auto sysEx8 = [](std::uint32_t s) {
        return sysEx8Rows(std::vector{0x50000000 | s << 20})[2].label;
    };
    EXPECT_EQ(sysEx7(3), "End of SysEx message");
    EXPECT_EQ(sysEx8(3), "End of SysEx8 message");
    EXPECT_EQ(sysEx8(9), "Mixed Data Set payload");
    for (std::uint32_t s : {4u, 7u, 10u, 15u}) {
        EXPECT_EQ(sysEx7(s), "Unrecognized") << s;
        EXPECT_EQ(sysEx8(s), "Unrecognized") << s;
    }
}

} // namespace
} // namespace umbrascope
