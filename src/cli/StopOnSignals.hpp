#pragma once

#include <array>
#include <atomic>
#include <csignal>
#include <stop_token>
#include <thread>

namespace umbrascope::cli {

// While it exists, SIGINT, SIGTERM and SIGHUP ask the command to stop instead of ending the
// process at once, so that it can finish what must not be lost (the last lines of a speech log,
// speech that is still going on). A second such signal goes to the handler found before (the one
// that removes temporary files, or the default action), so it ends the process as usual.
//
// Once the command has wound down, endIfSignalled() ends the process by the signal that came,
// through the handlers found before, so the process ends as that signal would have ended it.
//
// Main thread; one at a time. The signals reach the main thread, so that a call blocked there
// (opening a FIFO, reading one) can be interrupted: see interruptBlockingCalls.
class StopOnSignals {
public:
    StopOnSignals();
    ~StopOnSignals();
    StopOnSignals(const StopOnSignals&) = delete;
    StopOnSignals& operator=(const StopOnSignals&) = delete;

    std::stop_token token() const { return stop_.get_token(); }
    // Whether a signal came, known on the main thread as soon as a blocked call returns, before
    // the token shows it.
    bool signalled() const;
    // On: a signal makes a blocked system call of the main thread fail with EINTR, so that waiting
    // for a file can be given up. Off (the start): such calls go on after the signal, so no write
    // is cut short.
    void interruptBlockingCalls(bool on);
    // Puts back the handlers found; does not return when a signal came.
    void endIfSignalled();

private:
    static constexpr std::array<int, 3> signals_{SIGINT, SIGTERM, SIGHUP};

    void install(bool restart);
    // Puts back the handlers and waits until every signal written to the pipe is taken.
    void finish();

    std::stop_source stop_;
    std::atomic<int> signal_{0};
    std::array<bool, signals_.size()> replaced_{};
    int pipe_[2] = {-1, -1};
    std::thread watcher_; // turns a signal, written to the pipe by the handler, into a stop
};

} // namespace umbrascope::cli
