#include "core/ManualScheduler.hpp"

#include <algorithm>
#include <utility>

namespace umbrascope {

// The handle only marks its entry; the scheduler drops marked entries when it next looks, so a
// task may cancel itself or others while it runs.
class ManualScheduler::Handle final : public ScheduledTask {
public:
    explicit Handle(std::weak_ptr<Entry> entry) : entry_(std::move(entry)) {}
    ~Handle() override { cancel(); }
    void cancel() override {
        if (const auto entry = entry_.lock()) entry->cancelled = true;
    }

private:
    std::weak_ptr<Entry> entry_;
};

ManualScheduler::ManualScheduler(const Clock& clock) : clock_(clock) {}

ManualScheduler::~ManualScheduler() = default;

std::unique_ptr<ScheduledTask> ManualScheduler::defer(Duration delay, std::function<void()> task) {
    return add(delay, Duration::zero(), std::move(task));
}

std::unique_ptr<ScheduledTask> ManualScheduler::repeat(Duration interval,
                                                       std::function<void()> tick) {
    // A repeating task needs a positive interval, or catching up would never end.
    const Duration step = std::max(interval, Duration(1));
    return add(step, step, std::move(tick));
}

std::unique_ptr<ScheduledTask> ManualScheduler::add(Duration delay, Duration interval,
                                                    std::function<void()> task) {
    // Cancelled entries pile up under a debounce; clear them out at a doubling threshold, so the
    // cost per call stays constant.
    if (entries_.size() >= purgeAt_) {
        std::erase_if(entries_, [](const auto& entry) { return entry->cancelled; });
        purgeAt_ = std::max<std::size_t>(64, entries_.size() * 2);
    }
    auto entry = std::make_shared<Entry>(
        Entry{clock_.monotonicNow() + delay, interval, nextOrder_++, std::move(task)});
    entries_.push_back(entry);
    return std::make_unique<Handle>(entry);
}

std::shared_ptr<ManualScheduler::Entry> ManualScheduler::takeDue(MonoTime now) {
    std::erase_if(entries_, [](const auto& entry) { return entry->cancelled; });
    auto earliest = entries_.end();
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        const Entry& e = **it;
        if (e.due > now) continue;
        if (earliest == entries_.end() || e.due < (*earliest)->due ||
            (e.due == (*earliest)->due && e.order < (*earliest)->order))
            earliest = it;
    }
    if (earliest == entries_.end()) return nullptr;
    auto entry = *earliest;
    if (entry->interval == Duration::zero()) {
        entries_.erase(earliest);
    } else {
        const auto behind = (now - entry->due) / entry->interval;
        entry->due += (behind + 1) * entry->interval;
        entry->order = nextOrder_++;
    }
    return entry;
}

std::size_t ManualScheduler::runDue() {
    std::size_t ran = 0;
    const MonoTime now = clock_.monotonicNow();
    // The entry is held while its task runs, so cancelling or destroying its handle from inside
    // the task leaves the running function intact.
    while (const auto entry = takeDue(now)) {
        entry->task();
        ++ran;
    }
    return ran;
}

std::optional<MonoTime> ManualScheduler::nextDue() const {
    std::optional<MonoTime> next;
    for (const auto& entry : entries_)
        if (!entry->cancelled && (!next || entry->due < *next)) next = entry->due;
    return next;
}

std::size_t ManualScheduler::pending() const {
    return static_cast<std::size_t>(std::count_if(
        entries_.begin(), entries_.end(), [](const auto& entry) { return !entry->cancelled; }));
}

} // namespace umbrascope
