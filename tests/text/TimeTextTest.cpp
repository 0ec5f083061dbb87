#include <gtest/gtest.h>

#include <chrono>

#include "text/TimeText.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using std::chrono::microseconds;

// 2027-01-15 14:03:07 UTC.
const WallTime afternoon = WallTime{} + 1'799'935'387s;

TEST(TimeText, SecondsSinceTheStart) {
    const struct {
        const char* name;
        std::chrono::system_clock::duration since;
        const char* text;
    } cases[] = {
        {"atTheStart", 0s, "0.000"},
        {"oneMillisecond", 1ms, "0.001"},
        {"cutNotRounded", microseconds(12'345'999), "12.345"},
        {"wholeSeconds", 90s, "90.000"},
        {"aDayLater", 24h + 5ms, "86400.005"},
        {"clockSetBack", -250ms, "-0.250"},
        {"partlyBackIsTheEarlierMillisecond", microseconds(-1), "-0.001"},
        {"longBack", -3s - 40ms, "-3.040"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(secondsSinceText(afternoon, afternoon + c.since), c.text) << c.name;
}

TEST(TimeText, TimeOfDay) {
    const struct {
        const char* name;
        WallTime at;
        std::chrono::seconds offset;
        const char* text;
    } cases[] = {
        {"utc", afternoon + 123ms, 0s, "14:03:07.123"},
        {"cutNotRounded", afternoon + microseconds(999'999), 0s, "14:03:07.999"},
        {"east", afternoon, 2h, "16:03:07.000"},
        {"westHalfHour", afternoon, -(9h + 30min), "04:33:07.000"},
        {"eastPastMidnight", afternoon + 10h, 1h, "01:03:07.000"},
        {"westBeforeMidnight", WallTime{} + 86'400s * 20'000, -1h, "23:00:00.000"},
        {"midnight", WallTime{} + 86'400s * 20'000, 0s, "00:00:00.000"},
        {"beforeTheEpoch", WallTime{} - 1ms, 0s, "23:59:59.999"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(timeOfDayText(c.at, c.offset), c.text) << c.name;
}

} // namespace
} // namespace umbrascope
