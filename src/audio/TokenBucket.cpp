#include "audio/TokenBucket.hpp"

#include <algorithm>

namespace umbrascope {

bool TokenBucket::consume(MonoTime now) {
    // A monotonic clock never runs backwards, but a negative span must not drain the bucket.
    const double elapsed = std::max(0.0, std::chrono::duration<double>(now - lastRefill_).count());
    level_ = std::min(level_ + elapsed * refillPerSecond_, capacity_);
    lastRefill_ = now;
    if (level_ < 1.0) return false;
    level_ -= 1.0;
    return true;
}

} // namespace umbrascope
