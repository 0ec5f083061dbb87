#include "core/Clock.hpp"

#include <ctime>

namespace umbrascope {

std::chrono::seconds Clock::utcOffset(WallTime) const {
    return std::chrono::seconds(0);
}

std::chrono::seconds SystemClock::utcOffset(WallTime at) const {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(at);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return std::chrono::seconds(0);
    return std::chrono::seconds(local.tm_gmtoff);
}

const SystemClock& SystemClock::instance() {
    static const SystemClock clock;
    return clock;
}

} // namespace umbrascope
