#include <gtest/gtest.h>

#include "ExpectedRows.hpp"

namespace umbrascope {
namespace {

using Lines = std::vector<std::string>;

TEST(StreamRows, RowsInWireOrder) {
    const std::string type = "Message Type = F, UMP Stream Message; Status = ";
    const struct {
        const char* name;
        testing::Words words;
        Lines rows;
    } cases[] = {
        {"endpointDiscovery",
         {0xF0000101, 0x0000001F, 0, 0},
         {"F000:16 " + type + "0x000 (Endpoint Discovery request)", "0101:16 Data",
          "0000001F:32 Data Word 1", "00000000:32 Data Word 2", "00000000:32 Data Word 3"}},
        {"oneWord", {0xF0200000}, {"F020:16 " + type + "0x020 (Start of Clip)", "0000:16 Data"}},
        {"formatBitsInsideTheFirstRow",
         {0xF4030000, 0x41424344, 0xFFFFFFFF},
         {"F403:16 " + type + "0x003 (Endpoint Name Notification)", "0000:16 Data",
          "41424344:32 Data Word 1", "FFFFFFFF:32 Data Word 2"}},
        {"statusInTheGap",
         {0xF0060000},
         {"F006:16 " + type + "0x006 (Unrecognized)", "0000:16 Data"}},
        {"wordsPastTheFourthIgnored",
         {0xFFFF1234, 1, 2, 3, 4},
         {"FFFF:16 " + type + "0x3FF (Unrecognized)", "1234:16 Data", "00000001:32 Data Word 1",
          "00000002:32 Data Word 2", "00000003:32 Data Word 3"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(testing::rendered(testing::checkedRows(c.words)), c.rows) << c.name;
}

} // namespace
} // namespace umbrascope
