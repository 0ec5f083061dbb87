#include "ui/QtMainQueue.hpp"

#include <QMetaObject>
#include <utility>

namespace umbrascope {

QtMainQueue::QtMainQueue() : receiver_(new QObject) {}

QtMainQueue::~QtMainQueue() {
    delete receiver_;
}

void QtMainQueue::post(std::function<void()> task) {
    // Queued calls to one receiver are delivered in the order they were posted, whichever thread
    // posted them.
    QMetaObject::invokeMethod(
        receiver_, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

} // namespace umbrascope
