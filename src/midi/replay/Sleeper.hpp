#pragma once

#include <stop_token>

#include "core/Clock.hpp"

namespace umbrascope {

// Waits for a moment of a Clock's monotonic time, so paced replay can be tested without waiting.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    // Returns false when `stop` was requested before the deadline.
    virtual bool sleepUntil(MonoTime deadline, std::stop_token stop) = 0;
};

// Real waiting on the steady clock, the monotonic time of SystemClock; a stop request wakes it.
class SystemSleeper final : public Sleeper {
public:
    bool sleepUntil(MonoTime deadline, std::stop_token stop) override;
};

} // namespace umbrascope
