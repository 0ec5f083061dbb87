#include "desktop/QuitOnSignals.hpp"

#include <QCoreApplication>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace umbrascope::desktop {

namespace {

std::atomic<int> signalPipe{-1};
std::array<struct sigaction, 2> previous{};

extern "C" void quitOnSignal(int signal) {
    const int savedErrno = errno;
    // Whatever was there before answers the next one, such as the removal of temporary files.
    for (std::size_t i = 0; i < previous.size(); ++i)
        if (signal == (i == 0 ? SIGINT : SIGTERM)) ::sigaction(signal, &previous[i], nullptr);
    const auto byte = static_cast<unsigned char>(signal);
    if (const int fd = signalPipe.load(); fd >= 0) {
        const auto written = ::write(fd, &byte, 1);
        static_cast<void>(written);
    }
    errno = savedErrno;
}

} // namespace

QuitOnSignals::QuitOnSignals() {
    static_assert(signals_[0] == SIGINT && signals_[1] == SIGTERM, "the handler's order");
    // Without the pipe, signals end the process as before.
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) return;
    notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(pipe_[0], &byte, 1) == 1)
            if (signal_ == 0) signal_ = byte;
        QCoreApplication::quit();
    });
    signalPipe.store(pipe_[1]);
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        struct sigaction action {};
        action.sa_handler = quitOnSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        if (::sigaction(signals_[i], nullptr, &previous[i]) == 0 &&
            previous[i].sa_handler != SIG_IGN)
            ::sigaction(signals_[i], &action, nullptr);
    }
}

QuitOnSignals::~QuitOnSignals() {
    restore();
}

void QuitOnSignals::restore() {
    if (pipe_[0] < 0) return;
    for (std::size_t i = 0; i < signals_.size(); ++i) {
        struct sigaction now {};
        if (::sigaction(signals_[i], nullptr, &now) == 0 && now.sa_handler == quitOnSignal)
            ::sigaction(signals_[i], &previous[i], nullptr);
    }
    signalPipe.store(-1);
    notifier_.reset();
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    pipe_[0] = pipe_[1] = -1;
}

void QuitOnSignals::endIfSignalled() {
    restore();
    if (signal_ != 0) ::raise(signal_);
}

} // namespace umbrascope::desktop
