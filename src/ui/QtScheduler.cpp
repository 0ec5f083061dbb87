#include "ui/QtScheduler.hpp"

#include <QPointer>
#include <QTimerEvent>
#include <algorithm>
#include <chrono>

namespace umbrascope {

struct QtScheduler::Entry {
    std::function<void()> task;
    bool repeating = false;
    int timerId = 0;
};

class QtScheduler::Handle final : public ScheduledTask {
public:
    Handle(QtScheduler* scheduler, std::weak_ptr<Entry> entry)
        : scheduler_(scheduler), entry_(std::move(entry)) {}
    ~Handle() override { cancel(); }
    void cancel() override {
        auto entry = entry_.lock();
        if (entry && scheduler_) scheduler_->cancel(entry->timerId);
        entry_.reset();
    }

private:
    QPointer<QtScheduler> scheduler_;
    std::weak_ptr<Entry> entry_;
};

QtScheduler::QtScheduler(QObject* parent) : QObject(parent) {}

QtScheduler::~QtScheduler() = default;

std::unique_ptr<ScheduledTask> QtScheduler::defer(Duration delay, std::function<void()> task) {
    return start(delay, std::move(task), false);
}

std::unique_ptr<ScheduledTask> QtScheduler::repeat(Duration interval, std::function<void()> tick) {
    return start(interval, std::move(tick), true);
}

std::unique_ptr<ScheduledTask> QtScheduler::start(Duration delay, std::function<void()> task,
                                                  bool repeating) {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(std::max(delay, Duration{}));
    auto entry = std::make_shared<Entry>();
    entry->task = std::move(task);
    entry->repeating = repeating;
    // Repeating with 0 ms would spin the loop; one millisecond is the shortest period.
    const auto interval =
        repeating ? std::max<std::chrono::milliseconds::rep>(ms.count(), 1) : ms.count();
    entry->timerId = startTimer(std::chrono::milliseconds(interval), Qt::PreciseTimer);
    entries_.emplace(entry->timerId, entry);
    return std::make_unique<Handle>(this, entry);
}

void QtScheduler::cancel(int timerId) {
    if (entries_.erase(timerId) > 0) killTimer(timerId);
}

void QtScheduler::timerEvent(QTimerEvent* event) {
    const auto found = entries_.find(event->timerId());
    if (found == entries_.end()) return;
    // Held here so that the task may cancel itself or destroy its handle while it runs.
    const std::shared_ptr<Entry> entry = found->second;
    if (!entry->repeating) cancel(entry->timerId);
    entry->task();
}

} // namespace umbrascope
