#pragma once

#include <vector>

#include "core/Clock.hpp"
#include "midi/replay/Sleeper.hpp"
#include "support/FakeClock.hpp"

namespace umbrascope::testing_support {

// Instead of waiting, moves a fake clock to the deadline and remembers it.
class FakeSleeper final : public Sleeper {
public:
    explicit FakeSleeper(FakeClock& clock) : clock_(clock) {}

    bool sleepUntil(MonoTime deadline, std::stop_token stop) override {
        if (stop.stop_requested()) return false;
        deadlines.push_back(deadline);
        if (deadline > clock_.monotonicNow()) clock_.advance(deadline - clock_.monotonicNow());
        return true;
    }

    std::vector<MonoTime> deadlines;

private:
    FakeClock& clock_;
};

} // namespace umbrascope::testing_support
