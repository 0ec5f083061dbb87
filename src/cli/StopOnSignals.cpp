#include "cli/StopOnSignals.hpp"

#include <cerrno>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

namespace umbrascope::cli {

namespace {

std::atomic<int> signalPipe{-1};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");

extern "C" void writeSignalToPipe(int signal) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    if (const int fd = signalPipe.load(); fd >= 0 && ::write(fd, &byte, 1) < 0) {
        // Nothing to be done inside a handler; the command then ends without being asked.
    }
    errno = savedErrno;
}

} // namespace

StopOnSignals::StopOnSignals() {
    // Without the pipe or the thread, signals end the process as before.
    if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
    try {
        watcher_ = std::thread([this] {
            unsigned char byte = 0;
            for (;;) {
                const auto n = ::read(pipe_[0], &byte, 1);
                if (n < 0 && errno == EINTR) continue;
                if (n != 1 || byte == 0) return; // 0 comes from finish()
                int none = 0;
                signal_.compare_exchange_strong(none, byte);
                stop_.request_stop();
            }
        });
    } catch (const std::system_error&) {
        return; // short of memory for its stack
    }
    signalPipe.store(pipe_[1]);
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = writeSignalToPipe;
        sigemptyset(&action.sa_mask);
        // The first signal asks; the next one meets the default action and ends the process.
        action.sa_flags = static_cast<int>(SA_RESTART | SA_RESETHAND);
        replaced_[i] = ::sigaction(signals_[i], nullptr, &previous_[i]) == 0 &&
                       previous_[i].sa_handler != SIG_IGN &&
                       ::sigaction(signals_[i], &action, nullptr) == 0;
    }
}

StopOnSignals::~StopOnSignals() {
    finish();
    for (const int fd : pipe_)
        if (fd >= 0) ::close(fd);
}

void StopOnSignals::finish() {
    for (std::size_t i = 0; i < signals_.size(); ++i)
        if (std::exchange(replaced_[i], false)) ::sigaction(signals_[i], &previous_[i], nullptr);
    signalPipe.store(-1);
    if (!watcher_.joinable()) return;
    const unsigned char done = 0;
    while (::write(pipe_[1], &done, 1) < 0 && errno == EINTR) {
    }
    watcher_.join();
}

void StopOnSignals::endIfSignalled() {
    finish();
    const int signal = signal_.load();
    if (signal == 0) return;
    ::raise(signal);
    // A handler found before returned: end as the default action would.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

} // namespace umbrascope::cli
