#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

#include "core/Clock.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope {

// "Paused, 1,204 new": the header and the notice while paused.
std::string pausedText(std::uint64_t newCount);
// "Resumed, 1,204 new messages" ("1 new message"): said when the list moves on again.
std::string resumedText(std::uint64_t newCount);

// The list held still by the P key: a copy of the buffer taken at the pause, and the count of the
// messages the buffer received since. The buffer goes on receiving and dropping its oldest while
// paused, so the rows, the breakdowns, the catch-up and export read the copy, which never follows
// the buffer: it holds at most one buffer's worth, and only shrinks (Clear, a smaller buffer). A
// burst of any size while paused costs the count alone. Main thread.
class PausedList {
public:
    bool isPaused() const { return paused_; }
    // The moment of the pause: the catch-up's "now" while paused.
    WallTime pausedAt() const { return pausedAt_; }
    const std::deque<MIDIMessage>& messages() const { return messages_; }
    std::uint64_t newCount() const { return newCount_; }

    void pause(const std::deque<MIDIMessage>& buffer, WallTime now);
    // `count` messages joined the buffer, also those that a full buffer dropped at once.
    void received(std::size_t count) { newCount_ += count; }
    // The buffer was cleared: the held list empties too, and the count starts again.
    void clear();
    // The buffer size went down to `limit`: the oldest held messages go, as they would from the
    // buffer. Returns how many went.
    std::size_t trimTo(std::size_t limit);
    // Ends the pause and drops the copy; returns how many messages arrived meanwhile.
    std::uint64_t resume();

private:
    bool paused_ = false;
    WallTime pausedAt_{};
    std::deque<MIDIMessage> messages_;
    std::uint64_t newCount_ = 0;
};

} // namespace umbrascope
