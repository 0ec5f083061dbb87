#include "ui/FrameCoalescer.hpp"

#include <algorithm>
#include <utility>

namespace umbrascope {

FrameCoalescer::FrameCoalescer(std::function<void()> update, QObject* parent)
    : QObject(parent), update_(std::move(update)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FrameCoalescer::run);
}

void FrameCoalescer::request() {
    if (timer_.isActive()) return;
    const qint64 waited = sinceLastRun_.isValid() ? sinceLastRun_.elapsed() : frameMilliseconds;
    timer_.start(static_cast<int>(std::max<qint64>(0, frameMilliseconds - waited)));
}

void FrameCoalescer::flush() {
    if (!timer_.isActive()) return;
    timer_.stop();
    run();
}

void FrameCoalescer::run() {
    sinceLastRun_.start();
    update_();
}

} // namespace umbrascope
