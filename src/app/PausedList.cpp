#include "app/PausedList.hpp"

#include <utility>

#include "text/Formatters.hpp"

namespace umbrascope {

std::string pausedText(std::uint64_t newCount) {
    return "Paused, " + groupedNumber(newCount) + " new";
}

std::string resumedText(std::uint64_t newCount) {
    return "Resumed, " + groupedNumber(newCount) +
           (newCount == 1 ? " new message" : " new messages");
}

void PausedList::pause(const std::deque<MIDIMessage>& buffer, WallTime now) {
    paused_ = true;
    pausedAt_ = now;
    messages_ = buffer;
    newCount_ = 0;
}

void PausedList::clear() {
    messages_.clear();
    newCount_ = 0;
}

std::size_t PausedList::trimTo(std::size_t limit) {
    std::size_t dropped = 0;
    for (; messages_.size() > limit; ++dropped)
        messages_.pop_front();
    return dropped;
}

std::uint64_t PausedList::resume() {
    paused_ = false;
    // Swapped out, so that the memory goes now and not at the next pause.
    std::deque<MIDIMessage>().swap(messages_);
    return std::exchange(newCount_, 0);
}

} // namespace umbrascope
