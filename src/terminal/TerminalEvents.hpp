#pragma once

#include <atomic>
#include <csignal>
#include <optional>
#include <stop_token>
#include <string>

#include "midi/replay/Sleeper.hpp"

namespace umbrascope::terminal {

// What the main loop of the monitor waits for besides its tasks and timers: keys on the input,
// a resize (SIGWINCH) and a return from the background (SIGCONT). As the loop's Sleeper it
// waits until the deadline, a stop, or any of these. While it exists SIGPIPE is ignored, so a
// closed output shows as a failed write. Main thread; one at a time.
class TerminalEvents final : public Sleeper {
public:
    // `input` is read for keys; -1 for none.
    explicit TerminalEvents(int input);
    ~TerminalEvents() override;
    TerminalEvents(const TerminalEvents&) = delete;
    TerminalEvents& operator=(const TerminalEvents&) = delete;

    bool sleepUntil(MonoTime deadline, std::stop_token stop) override;

    struct Happened {
        bool resized = false;
        bool continued = false;
    };
    // The signals since the last call.
    Happened takeSignals();
    // What the input holds now, without waiting; none once it has ended (end of file, a terminal
    // that went away), after which it is no longer watched.
    std::optional<std::string> readInput();
    bool inputEnded() const { return input_ < 0 && hadInput_; }

private:
    int input_;
    bool hadInput_;
    int wake_ = -1; // eventfd: a stop request ends the wait
    struct sigaction previousWinch_ {};
    struct sigaction previousCont_ {};
    struct sigaction previousPipe_ {};
};

} // namespace umbrascope::terminal
