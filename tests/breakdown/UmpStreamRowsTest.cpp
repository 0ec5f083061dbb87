#include <gtest/gtest.h>

#include <vector>

#include "RowExpectations.hpp"
#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {
namespace {

using rowtest::ExpectedRow;

struct StreamCase {
    const char* name;
    std::vector<std::uint32_t> words;
    std::vector<ExpectedRow> rows;
};

class StreamRows : public testing::TestWithParam<StreamCase> {};

TEST_P(StreamRows, RowsInWireOrder) {
    const auto& c = GetParam();
    rowtest::expectRows(breakdownRows(c.words, UMPMessageType::umpStream), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, StreamRows,
    testing::Values(
        StreamCase{
            "endpointDiscovery",
            {0xF0000101, 0x0000001F, 0, 0},
            {{"F000", 16,
              "Message Type = F, UMP Stream Message; Status = 0x000 (Endpoint Discovery request)"},
             {"0101", 16, "Data"},
             {"0000001F", 32, "Data Word 1"},
             {"00000000", 32, "Data Word 2"},
             {"00000000", 32, "Data Word 3"}}},
        StreamCase{
            "oneWord",
            {0xF0200000},
            {{"F020", 16, "Message Type = F, UMP Stream Message; Status = 0x020 (Start of Clip)"},
             {"0000", 16, "Data"}}},
        StreamCase{
            "threeWords",
            {0xF0210000, 1, 2},
            {{"F021", 16, "Message Type = F, UMP Stream Message; Status = 0x021 (End of Clip)"},
             {"0000", 16, "Data"},
             {"00000001", 32, "Data Word 1"},
             {"00000002", 32, "Data Word 2"}}},
        StreamCase{
            "formatBitsInsideTheFirstRow",
            {0xF4030000, 0x41424344},
            {{"F403", 16,
              "Message Type = F, UMP Stream Message; Status = 0x003 (Endpoint Name Notification)"},
             {"0000", 16, "Data"},
             {"41424344", 32, "Data Word 1"}}},
        StreamCase{
            "wordsPastTheFourthIgnored",
            {0xFFFF1234, 1, 2, 3, 4},
            {{"FFFF", 16, "Message Type = F, UMP Stream Message; Status = 0x3FF (Unrecognized)"},
             {"1234", 16, "Data"},
             {"00000001", 32, "Data Word 1"},
             {"00000002", 32, "Data Word 2"},
             {"00000003", 32, "Data Word 3"}}},
        StreamCase{"empty", {}, {}}),
    [](const auto& param) { return param.param.name; });

struct StatusCase {
    std::uint32_t status;
    const char* name;
};

TEST(StreamStatusNames, KnownStatusesAndTheGapsBetweenThem) {
    const StatusCase cases[] = {
        {0x000, "Endpoint Discovery request"},
        {0x001, "Endpoint Info Notification"},
        {0x002, "Device Identity Notification"},
        {0x003, "Endpoint Name Notification"},
        {0x004, "Product Instance ID Notification"},
        {0x005, "Stream Configuration Request/Notification"},
        {0x006, "Unrecognized"},
        {0x00F, "Unrecognized"},
        {0x010, "Function Block Discovery request"},
        {0x011, "Function Block Info Notification"},
        {0x012, "Function Block Name Notification"},
        {0x013, "Unrecognized"},
        {0x020, "Start of Clip"},
        {0x021, "End of Clip"},
        {0x022, "Unrecognized"},
        {0x100, "Unrecognized"},
    };
    for (const auto& c : cases) {
        const std::vector<std::uint32_t> words{0xF0000000 | c.status << 16};
        char status[8];
        std::snprintf(status, sizeof status, "0x%03X", c.status);
        EXPECT_EQ(umpStreamRows(words)[0].label,
                  std::string("Message Type = F, UMP Stream Message; Status = ") + status + " (" +
                      c.name + ")");
    }
}

TEST(StreamRowCounts, TwoPlusOnePerFurtherWordAtMostFive) {
    std::vector<std::uint32_t> words{0xF0010000};
    for (std::size_t extra = 0; extra <= 4; ++extra) {
        EXPECT_EQ(umpStreamRows(words).size(), std::min<std::size_t>(2 + extra, 5)) << extra;
        EXPECT_EQ(rowtest::joinedHex(umpStreamRows(words)).size(),
                  8 * std::min<std::size_t>(words.size(), 4));
        words.push_back(0xABCDEF01);
    }
}

} // namespace
} // namespace umbrascope
