#include <gtest/gtest.h>

#include "ExpectedRows.hpp"
#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {
namespace {

using Lines = std::vector<std::string>;

struct StreamCase {
    const char* name;
    std::vector<std::uint32_t> words;
    Lines rows;
};

class StreamRows : public ::testing::TestWithParam<StreamCase> {};

TEST_P(StreamRows, RowsInWireOrder) {
    EXPECT_EQ(testing::rendered(breakdownRows(GetParam().words, UMPMessageType::umpStream)),
              GetParam().rows);
}

const std::string type = "Message Type = F, UMP Stream Message; Status = ";

INSTANTIATE_TEST_SUITE_P(
    Examples, StreamRows,
    ::testing::Values(StreamCase{"endpointDiscovery",
                                 {0xF0000101, 0x0000001F, 0, 0},
                                 {"F000:16 " + type + "0x000 (Endpoint Discovery request)",
                                  "0101:16 Data", "0000001F:32 Data Word 1",
                                  "00000000:32 Data Word 2", "00000000:32 Data Word 3"}},
                      StreamCase{"oneWord",
                                 {0xF0200000},
                                 {"F020:16 " + type + "0x020 (Start of Clip)", "0000:16 Data"}},
                      StreamCase{"formatBitsInsideTheFirstRow",
                                 {0xF4030000, 0x41424344, 0xFFFFFFFF},
                                 {"F403:16 " + type + "0x003 (Endpoint Name Notification)",
                                  "0000:16 Data", "41424344:32 Data Word 1",
                                  "FFFFFFFF:32 Data Word 2"}},
                      StreamCase{"statusInTheGap",
                                 {0xF0060000},
                                 {"F006:16 " + type + "0x006 (Unrecognized)", "0000:16 Data"}},
                      StreamCase{"wordsPastTheFourthIgnored",
                                 {0xFFFF1234, 1, 2, 3, 4},
                                 {"FFFF:16 " + type + "0x3FF (Unrecognized)", "1234:16 Data",
                                  "00000001:32 Data Word 1", "00000002:32 Data Word 2",
                                  "00000003:32 Data Word 3"}},
                      StreamCase{"empty", {}, {}}),
    testing::CaseName());

TEST(StreamStatusNames, KnownStatusesAndTheGapsBetweenThem) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {0x005, "0x005 (Stream Configuration Request/Notification)"},
        {0x013, "0x013 (Unrecognized)"},
        {0x021, "0x021 (End of Clip)"},
        {0x022, "0x022 (Unrecognized)"}};
    for (const auto& [status, text] : cases)
        EXPECT_EQ(umpStreamRows(std::vector{0xF0000000 | status << 16})[0].label, type + text);
}

} // namespace
} // namespace umbrascope
