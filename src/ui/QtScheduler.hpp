#pragma once

#include <QObject>
#include <memory>
#include <unordered_map>

#include "core/Scheduler.hpp"

namespace umbrascope {

// Deferred and repeating tasks on the Qt event loop. Main thread only. Handles may outlive the
// scheduler: cancelling them then does nothing.
class QtScheduler final : public QObject, public Scheduler {
    Q_OBJECT
public:
    explicit QtScheduler(QObject* parent = nullptr);
    ~QtScheduler() override;

    [[nodiscard]] std::unique_ptr<ScheduledTask> defer(Duration delay,
                                                       std::function<void()> task) override;
    [[nodiscard]] std::unique_ptr<ScheduledTask> repeat(Duration interval,
                                                        std::function<void()> tick) override;

    std::size_t pendingCount() const { return entries_.size(); }

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    struct Entry;
    class Handle;
    std::unique_ptr<ScheduledTask> start(Duration delay, std::function<void()> task,
                                         bool repeating);
    void cancel(int timerId);

    std::unordered_map<int, std::shared_ptr<Entry>> entries_;
};

} // namespace umbrascope
