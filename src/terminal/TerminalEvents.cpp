#include "terminal/TerminalEvents.hpp"

#include <cerrno>
#include <optional>
#include <string>

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace umbrascope::terminal {

namespace {

std::atomic<int> signalWake{-1};
std::atomic<bool> resizedFlag{false};
std::atomic<bool> continuedFlag{false};
static_assert(std::atomic<int>::is_always_lock_free && std::atomic<bool>::is_always_lock_free,
              "used in a signal handler");

void wakeUp(int fd) {
    const std::uint64_t one = 1;
    if (fd >= 0 && ::write(fd, &one, sizeof one) < 0) {
        // Full: a wake is pending anyway.
    }
}

extern "C" void noteSignal(int signal) {
    const int savedErrno = errno;
    (signal == SIGWINCH ? resizedFlag : continuedFlag).store(true);
    wakeUp(signalWake.load());
    errno = savedErrno;
}

} // namespace

TerminalEvents::TerminalEvents(int input) : input_(input), hadInput_(input >= 0) {
    wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    signalWake.store(wake_);
    struct sigaction action {};
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGWINCH, &action, &previousWinch_);
    ::sigaction(SIGCONT, &action, &previousCont_);
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ::sigaction(SIGPIPE, &ignore, &previousPipe_);
}

TerminalEvents::~TerminalEvents() {
    ::sigaction(SIGWINCH, &previousWinch_, nullptr);
    ::sigaction(SIGCONT, &previousCont_, nullptr);
    ::sigaction(SIGPIPE, &previousPipe_, nullptr);
    signalWake.store(-1);
    if (wake_ >= 0) ::close(wake_);
}

bool TerminalEvents::sleepUntil(MonoTime deadline, std::stop_token stop) {
    const std::stop_callback onStop(stop, [this] { wakeUp(wake_); });
    for (;;) {
        if (stop.stop_requested()) return false;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return true;
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
        pollfd fds[2] = {{wake_, POLLIN, 0}, {input_, POLLIN, 0}};
        const int ready =
            ::poll(fds, input_ >= 0 ? 2 : 1, static_cast<int>(std::min<long long>(left, 60'000)));
        if (ready < 0 && errno != EINTR) return true;
        if (ready <= 0) continue;
        if (fds[0].revents != 0) {
            std::uint64_t count = 0;
            if (::read(wake_, &count, sizeof count) < 0) {
                // Already taken.
            }
        }
        return true;
    }
}

TerminalEvents::Happened TerminalEvents::takeSignals() {
    return {resizedFlag.exchange(false), continuedFlag.exchange(false)};
}

std::optional<std::string> TerminalEvents::readInput() {
    if (input_ < 0) return std::string();
    std::string bytes;
    for (;;) {
        pollfd fd{input_, POLLIN, 0};
        if (::poll(&fd, 1, 0) <= 0 || fd.revents == 0) return bytes;
        char buffer[256];
        const auto n = ::read(input_, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            input_ = -1;
            return bytes.empty() ? std::nullopt : std::optional(bytes);
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
        if (bytes.size() >= 4096) return bytes;
    }
}

} // namespace umbrascope::terminal
