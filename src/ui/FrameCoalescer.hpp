#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>

namespace umbrascope {

// Runs an update at most once per frame however often it is requested: the first request after a
// quiet frame runs on the next turn of the event loop (so that work posted together is taken
// together), later ones wait until a frame has passed since the last run. Main thread only.
class FrameCoalescer final : public QObject {
    Q_OBJECT
public:
    static constexpr int frameMilliseconds = 16;

    FrameCoalescer(std::function<void()> update, QObject* parent = nullptr);

    void request();
    bool isPending() const { return timer_.isActive(); }
    // Runs a pending update now.
    void flush();

private:
    void run();

    std::function<void()> update_;
    QTimer timer_;
    QElapsedTimer sinceLastRun_;
};

} // namespace umbrascope
