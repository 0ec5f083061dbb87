#include "ui/QtMainQueue.hpp"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <utility>

namespace umbrascope {

namespace {

const QEvent::Type wakeEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

} // namespace

class QtMainQueue::Receiver final : public QObject {
public:
    explicit Receiver(QtMainQueue& queue) : queue_(queue) {}
    bool event(QEvent* event) override {
        if (event->type() != wakeEvent) return QObject::event(event);
        queue_.runSlice();
        return true;
    }

private:
    QtMainQueue& queue_;
};

QtMainQueue::QtMainQueue() : receiver_(new Receiver(*this)) {}

QtMainQueue::~QtMainQueue() {
    delete receiver_; // with it, a wake-up still on its way
}

void QtMainQueue::post(std::function<void()> task) {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
    if (wakeQueued_) return;
    wakeQueued_ = true;
    QCoreApplication::postEvent(receiver_, new QEvent(wakeEvent));
}

// One task at a time is taken under the lock, so a task that runs a nested event loop still sees
// the tasks after it run in order.
void QtMainQueue::runSlice() {
    QElapsedTimer slice;
    slice.start();
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(mutex_);
            if (tasks_.empty()) {
                wakeQueued_ = false;
                return;
            }
            if (slice.elapsed() >= sliceMilliseconds) {
                // Events posted now wait for the next turn of the loop: timers and paints first.
                QCoreApplication::postEvent(receiver_, new QEvent(wakeEvent));
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace umbrascope
