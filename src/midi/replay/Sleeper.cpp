#include "midi/replay/Sleeper.hpp"

#include <condition_variable>
#include <mutex>

namespace umbrascope {

bool SystemSleeper::sleepUntil(MonoTime deadline, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wake;
    std::unique_lock lock(mutex);
    // The predicate waits out spurious wake-ups; the wait answers false both at the deadline and
    // on a stop, so the stop is asked for again.
    wake.wait_until(lock, stop, deadline, [] { return false; });
    return !stop.stop_requested();
}

} // namespace umbrascope
