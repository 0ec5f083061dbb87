#pragma once

#include <chrono>
#include <string>

#include "core/Clock.hpp"

namespace umbrascope {

// "12.345": the seconds from `start` to `at`, to the millisecond, cut toward the earlier
// millisecond; "-0.250" for a moment before `start` (the wall clock was set back meanwhile).
std::string secondsSinceText(WallTime start, WallTime at);

// "14:03:07.123": the 24-hour time of day of `at` where the clock is `utcOffset` ahead of UTC.
std::string timeOfDayText(WallTime at, std::chrono::seconds utcOffset);

} // namespace umbrascope
