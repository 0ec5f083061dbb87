#include "text/TimeText.hpp"

#include <cstdio>

namespace umbrascope {

namespace {

using Millis = std::chrono::milliseconds;

// The whole milliseconds of `span`, rounded toward the past, so that a moment never shows later
// than it was.
long long floorMillis(std::chrono::system_clock::duration span) {
    return std::chrono::floor<Millis>(span).count();
}

} // namespace

std::string secondsSinceText(WallTime start, WallTime at) {
    const long long millis = floorMillis(at - start);
    // Negated as unsigned, so that the most negative value has a magnitude too.
    const unsigned long long magnitude = millis < 0 ? 0ULL - static_cast<unsigned long long>(millis)
                                                    : static_cast<unsigned long long>(millis);
    char text[32];
    std::snprintf(text, sizeof text, "%s%llu.%03llu", millis < 0 ? "-" : "", magnitude / 1000,
                  magnitude % 1000);
    return text;
}

std::string timeOfDayText(WallTime at, std::chrono::seconds utcOffset) {
    constexpr long long millisPerDay = 86'400'000;
    const long long local = floorMillis(at.time_since_epoch()) % millisPerDay +
                            std::chrono::duration_cast<Millis>(utcOffset).count() % millisPerDay;
    // Both terms lie within a day either side, so one more day makes the sum a time of day.
    const long long ofDay = (local + 2 * millisPerDay) % millisPerDay;
    char text[16];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", ofDay / 3'600'000,
                  ofDay / 60'000 % 60, ofDay / 1000 % 60, ofDay % 1000);
    return text;
}

} // namespace umbrascope
