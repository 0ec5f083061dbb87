#pragma once

#include <chrono>

namespace umbrascope {

using WallTime = std::chrono::system_clock::time_point;
using MonoTime = std::chrono::steady_clock::time_point;

// Wall time stamps records; monotonic time drives rate limits and idle windows, so a clock change
// never stalls them. Both are read from any thread.
class Clock {
public:
    virtual ~Clock() = default;
    virtual WallTime wallNow() const = 0;
    virtual MonoTime monotonicNow() const = 0;
    // How far the local time of day is ahead of UTC at `at`. A clock that knows no time zone
    // keeps UTC, so that times of day are the same on every machine.
    virtual std::chrono::seconds utcOffset(WallTime at) const;
};

class SystemClock final : public Clock {
public:
    WallTime wallNow() const override { return std::chrono::system_clock::now(); }
    MonoTime monotonicNow() const override { return std::chrono::steady_clock::now(); }
    // The system's time zone (TZ), daylight saving included.
    std::chrono::seconds utcOffset(WallTime at) const override;

    // One shared instance for code that is not handed a clock of its own.
    static const SystemClock& instance();
};

} // namespace umbrascope
