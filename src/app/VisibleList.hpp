#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>

#include "core/Identifier.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/MessageFilter.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope {

// How the visible list changed, told after the change: `removed` messages left the front, then
// `appended` joined the end. With `reset` the whole list changed (a filter changed or the buffer
// was cleared) and is read again. A list model keeps its own row count and replays the change.
struct VisibleChange {
    std::size_t removed = 0;
    std::size_t appended = 0;
    bool reset = false;

    friend bool operator==(const VisibleChange&, const VisibleChange&) = default;
};

// One message of the visible list.
struct VisibleEntry {
    const MIDIMessage* message;
    std::int64_t sequenceNumber; // kept beside the pointer to find dropped entries
};

// What one update of the visible list did: the change to replay, if the rows changed, and
// whether the newest visible message is another one than before (scroll and announce).
struct VisibleUpdate {
    std::optional<VisibleChange> change;
    bool newestChanged = false;

    friend bool operator==(const VisibleUpdate&, const VisibleUpdate&) = default;
};

// The buffer without what the filter hides, oldest first, following the buffer's changes. It
// holds pointers into the buffer, so it must be told of every change before they are read again.
// Thread: that of the buffer (main).
class VisibleList {
public:
    explicit VisibleList(MessageFilter filter = {}) : filter_(std::move(filter)) {}

    const std::deque<VisibleEntry>& entries() const { return entries_; }
    const MessageFilter& filter() const { return filter_; }
    // The newest visible message, in the buffer; none when the list is empty.
    const MIDIMessage* newest() const {
        return entries_.empty() ? nullptr : entries_.back().message;
    }

    // The buffer `messages` changed as `change` tells: a clear reads it again; otherwise the
    // dropped entries leave the front and the appended messages that survived are filtered.
    VisibleUpdate follow(const std::deque<MIDIMessage>& messages, const MessagesChange& change);
    // Another filter: the list is read again, a reset, unless the filter is the same.
    VisibleUpdate setFilter(const std::deque<MIDIMessage>& messages, const MessageFilter& filter);

    // The pause: the entries move, unchanged, into `copy`, a copy of the buffer they follow, which
    // is then the one to follow. Nothing changes, unless the copy lacks an entry: then a reset.
    VisibleUpdate hold(const std::deque<MIDIMessage>& copy);
    // The end of the pause: back to the buffer `messages`, which meanwhile dropped messages from
    // its front and received those after `lastHeld` (all of them when none was held). The entries
    // it dropped leave the front, the others move back into it, and the received messages that
    // the filter shows are appended.
    VisibleUpdate rejoin(const std::deque<MIDIMessage>& messages,
                         std::optional<std::int64_t> lastHeld);

private:
    std::deque<VisibleEntry> entries_;
    MessageFilter filter_;
    std::optional<Identifier> newestID_;

    using Messages = std::deque<MIDIMessage>;

    // Drops the entries whose messages left the front of `messages`; how many.
    std::size_t dropGone(const Messages& messages);
    // Appends what the filter shows of [from, to) and tells the update, `removed` included.
    VisibleUpdate appended(std::size_t removed, Messages::const_iterator from,
                           Messages::const_iterator to);
    // The list read again from the whole buffer; always a reset.
    VisibleUpdate rebuild(const std::deque<MIDIMessage>& messages);
    // Points every entry at its message in `messages`; false when one is not there.
    bool moveInto(const std::deque<MIDIMessage>& messages);
    bool newestChanged();
};

} // namespace umbrascope
