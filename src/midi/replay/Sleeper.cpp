#include "midi/replay/Sleeper.hpp"

#include <condition_variable>
#include <mutex>

namespace umbrascope {

bool SystemSleeper::sleepUntil(MonoTime deadline, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    // Waits out spurious wake-ups; true only when stopped.
    return !wake.wait_until(lock, stop, deadline, [] { return false; });
}

} // namespace umbrascope
