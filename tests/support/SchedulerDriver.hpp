#pragma once

#include "core/Clock.hpp"
#include "core/ManualScheduler.hpp"
#include "support/FakeClock.hpp"

namespace umbrascope::testing_support {

// Moves the fake clock forward by `span`, stopping at every due time on the way, so each task
// runs at its own time and sees the clock there.
inline void runFor(FakeClock& clock, ManualScheduler& scheduler, Duration span) {
    const MonoTime until = clock.monotonicNow() + span;
    scheduler.runDue();
    while (const auto due = scheduler.nextDue()) {
        if (*due > until) break;
        clock.advance(*due - clock.monotonicNow());
        scheduler.runDue();
    }
    clock.advance(until - clock.monotonicNow());
    scheduler.runDue();
}

} // namespace umbrascope::testing_support
