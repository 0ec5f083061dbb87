#pragma once

#include <optional>

#include <termios.h>

#include "terminal/TerminalMonitor.hpp"

namespace umbrascope::terminal {

// A terminal's input in raw mode while this exists: keys arrive one by one, unechoed, and
// Ctrl+C and Ctrl+Z arrive as keys rather than signals, so that quitting and suspending can put
// the settings back first. Does nothing for an input that is not a terminal. Main thread.
class RawTerminal {
public:
    explicit RawTerminal(int fd);
    ~RawTerminal() { restore(); }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

    bool active() const { return saved_.has_value(); }
    // The settings found at the start, again (before a suspend); enter() makes it raw again.
    void restore();
    void enter();

private:
    int fd_;
    std::optional<termios> saved_;
};

// The size of the terminal on `fd`; none when it is not a terminal.
std::optional<TerminalSize> terminalSize(int fd);

} // namespace umbrascope::terminal
