#include "cli/StopOnSignals.hpp"

#include <cerrno>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

namespace umbrascope::cli {

namespace {

std::atomic<int> signalPipe{-1};
std::atomic<int> signalsTaken{0};
static_assert(std::atomic<int>::is_always_lock_free, "read from a signal handler");
// The handlers found before, by the index of their signal; read by the handler.
constinit std::array<struct sigaction, 3> previousActions{};

int indexOf(int signal) {
    switch (signal) {
    case SIGINT:
        return 0;
    case SIGTERM:
        return 1;
    case SIGHUP:
        return 2;
    default:
        return -1;
    }
}

extern "C" void writeSignalToPipe(int signal) {
    const int savedErrno = errno;
    if (signalsTaken.fetch_add(1) > 0) {
        // The second signal: as if we had never been there. It is blocked while this runs, so
        // the handler found before takes it once this returns.
        if (const int index = indexOf(signal); index >= 0)
            ::sigaction(signal, &previousActions[static_cast<std::size_t>(index)], nullptr);
        ::raise(signal);
    } else {
        const auto byte = static_cast<unsigned char>(signal);
        if (const int fd = signalPipe.load(); fd >= 0 && ::write(fd, &byte, 1) < 0) {
            // Nothing to be done inside a handler; the command then ends without being asked.
        }
    }
    errno = savedErrno;
}

} // namespace

StopOnSignals::StopOnSignals() {
    // Without the pipe or the thread, signals end the process as before.
    if (::pipe2(pipe_, O_CLOEXEC) != 0) return;
    sigset_t blocked, previous;
    sigemptyset(&blocked);
    for (const int signal : signals_)
        sigaddset(&blocked, signal);
    // The watcher never takes a signal itself: they come to the main thread.
    pthread_sigmask(SIG_BLOCK, &blocked, &previous);
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
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
        return; // short of memory for its stack
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    signalsTaken.store(0);
    signalPipe.store(pipe_[1]);
    for (std::size_t i = 0; i < signals_.size(); ++i)
        replaced_[i] = ::sigaction(signals_[i], nullptr, &previousActions[i]) == 0 &&
                       previousActions[i].sa_handler != SIG_IGN;
    install(true);
}

StopOnSignals::~StopOnSignals() {
    finish();
    for (const int fd : pipe_)
        if (fd >= 0) ::close(fd);
}

void StopOnSignals::install(bool restart) {
    struct sigaction action {};
    action.sa_handler = writeSignalToPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = restart ? static_cast<int>(SA_RESTART) : 0;
    for (std::size_t i = 0; i < signals_.size(); ++i)
        if (replaced_[i]) replaced_[i] = ::sigaction(signals_[i], &action, nullptr) == 0;
}

bool StopOnSignals::signalled() const {
    return signalsTaken.load() > 0 || stop_.stop_requested();
}

void StopOnSignals::interruptBlockingCalls(bool on) {
    install(!on);
}

void StopOnSignals::finish() {
    for (std::size_t i = 0; i < signals_.size(); ++i)
        if (std::exchange(replaced_[i], false))
            ::sigaction(signals_[i], &previousActions[i], nullptr);
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
