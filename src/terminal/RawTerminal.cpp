#include "terminal/RawTerminal.hpp"

#include <cerrno>

#include <sys/ioctl.h>
#include <unistd.h>

namespace umbrascope::terminal {

namespace {

// tcsetattr may be interrupted by a signal before it is done.
void setAttributes(int fd, const termios& settings) {
    while (::tcsetattr(fd, TCSAFLUSH, &settings) != 0 && errno == EINTR) {
    }
}

} // namespace

RawTerminal::RawTerminal(int fd) : fd_(fd) {
    termios settings{};
    if (!::isatty(fd) || ::tcgetattr(fd, &settings) != 0) return;
    saved_ = settings;
    enter();
}

void RawTerminal::enter() {
    if (!saved_) return;
    termios raw = *saved_;
    raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
    raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    setAttributes(fd_, raw);
}

void RawTerminal::restore() {
    if (saved_) setAttributes(fd_, *saved_);
}

std::optional<TerminalSize> terminalSize(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0)
        return std::nullopt;
    return TerminalSize{size.ws_row, size.ws_col};
}

} // namespace umbrascope::terminal
