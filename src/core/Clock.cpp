#include "core/Clock.hpp"

namespace umbrascope {

const SystemClock& SystemClock::instance() {
    static const SystemClock clock;
    return clock;
}

} // namespace umbrascope
