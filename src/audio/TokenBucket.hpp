#pragma once

#include "core/Clock.hpp"

namespace umbrascope {

// A bucket that refills continuously up to its capacity; each grant takes one whole token.
class TokenBucket {
public:
    TokenBucket(double capacity, double refillPerSecond, MonoTime created)
        : capacity_(capacity), refillPerSecond_(refillPerSecond), level_(capacity),
          lastRefill_(created) {}

    // Refills for the time since the last call, then takes a token if one is there.
    bool consume(MonoTime now);
    double level() const { return level_; }

private:
    double capacity_;
    double refillPerSecond_;
    double level_;
    MonoTime lastRefill_;
};

} // namespace umbrascope
