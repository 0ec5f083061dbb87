#include <gtest/gtest.h>

#include "ExpectedRows.hpp"

namespace umbrascope {
namespace {

using Lines = std::vector<std::string>;

TEST(DataRows, RowsInWireOrder) {
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
    };
    for (const auto& c : cases)
        EXPECT_EQ(testing::rendered(testing::checkedRows(c.words)), c.rows) << c.name;
}

} // namespace
} // namespace umbrascope
