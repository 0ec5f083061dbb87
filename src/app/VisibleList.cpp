#include "app/VisibleList.hpp"

#include <algorithm>
#include <limits>

namespace umbrascope {

VisibleUpdate VisibleList::follow(const std::deque<MIDIMessage>& messages,
                                  const MessagesChange& change) {
    if (change.cleared) return rebuild(messages);
    const std::size_t removed = dropGone(messages);
    // The appended messages that survived the trim are the last ones of the buffer.
    const std::size_t fresh = std::min(change.appended, messages.size());
    return appended(removed, messages.end() - static_cast<std::ptrdiff_t>(fresh), messages.end());
}

VisibleUpdate VisibleList::setFilter(const std::deque<MIDIMessage>& messages,
                                     const MessageFilter& filter) {
    if (filter == filter_) return {};
    filter_ = filter;
    return rebuild(messages);
}

VisibleUpdate VisibleList::hold(const std::deque<MIDIMessage>& copy) {
    if (moveInto(copy)) return {};
    return rebuild(copy);
}

VisibleUpdate VisibleList::rejoin(const std::deque<MIDIMessage>& messages,
                                  std::optional<std::int64_t> lastHeld) {
    const std::size_t removed = dropGone(messages);
    if (!moveInto(messages)) return rebuild(messages);
    auto fresh = messages.begin();
    if (lastHeld)
        fresh = std::upper_bound(
            messages.begin(), messages.end(), *lastHeld,
            [](std::int64_t n, const MIDIMessage& m) { return n < m.sequenceNumber; });
    return appended(removed, fresh, messages.end());
}

std::size_t VisibleList::dropGone(const std::deque<MIDIMessage>& messages) {
    const std::int64_t firstKept = messages.empty() ? std::numeric_limits<std::int64_t>::max()
                                                    : messages.front().sequenceNumber;
    // Dropped entries are recognised by number alone: their messages are gone.
    std::size_t removed = 0;
    while (!entries_.empty() && entries_.front().sequenceNumber < firstKept) {
        entries_.pop_front();
        ++removed;
    }
    return removed;
}

VisibleUpdate VisibleList::appended(std::size_t removed, Messages::const_iterator from,
                                    Messages::const_iterator to) {
    std::size_t added = 0;
    for (auto it = from; it != to; ++it)
        if (!filter_.hides(*it)) {
            entries_.push_back({&*it, it->sequenceNumber});
            ++added;
        }
    VisibleUpdate update;
    if (removed > 0 || added > 0) update.change = VisibleChange{removed, added};
    update.newestChanged = newestChanged();
    return update;
}

bool VisibleList::moveInto(const std::deque<MIDIMessage>& messages) {
    // Both in number order: one walk finds every entry.
    auto at = messages.begin();
    for (VisibleEntry& entry : entries_) {
        while (at != messages.end() && at->sequenceNumber < entry.sequenceNumber)
            ++at;
        if (at == messages.end() || at->sequenceNumber != entry.sequenceNumber) return false;
        entry.message = &*at;
    }
    return true;
}

VisibleUpdate VisibleList::rebuild(const std::deque<MIDIMessage>& messages) {
    entries_.clear();
    for (const MIDIMessage& message : messages)
        if (!filter_.hides(message)) entries_.push_back({&message, message.sequenceNumber});
    return {VisibleChange{0, 0, true}, newestChanged()};
}

bool VisibleList::newestChanged() {
    std::optional<Identifier> newest;
    if (const MIDIMessage* message = this->newest()) newest = message->id;
    if (newest == newestID_) return false;
    newestID_ = newest;
    return true;
}

} // namespace umbrascope
