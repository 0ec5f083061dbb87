#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <array>
#include <csignal>
#include <memory>

namespace umbrascope::desktop {

// While it exists, the first SIGINT or SIGTERM quits the event loop instead of ending the process
// at once, so the windows close as usual: the speech log gets the outcome of what was still being
// said. The next such signal meets the handler found before. Once the windows are gone,
// endIfSignalled() ends the process as the signal would have.
//
// Main thread, after the application object exists; one at a time.
class QuitOnSignals final : public QObject {
public:
    QuitOnSignals();
    ~QuitOnSignals() override;
    QuitOnSignals(const QuitOnSignals&) = delete;
    QuitOnSignals& operator=(const QuitOnSignals&) = delete;

    // Puts back the handlers found; does not return when a signal came.
    void endIfSignalled();

private:
    static constexpr std::array<int, 2> signals_{SIGINT, SIGTERM};

    void restore();

    int pipe_[2] = {-1, -1};
    int signal_ = 0;
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace umbrascope::desktop
