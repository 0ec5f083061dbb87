#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "app/VisibleList.hpp"
#include "support/MessageFactory.hpp"

namespace umbrascope {
namespace {

using namespace testing_support;
using Numbers = std::vector<std::int64_t>;

enum class Kind { note, clock, sensing, legacyNote };

// A bounded buffer that numbers what it keeps and tells its changes as the message store does.
struct Buffer {
    std::deque<MIDIMessage> messages;
    std::size_t limit = 5;
    std::int64_t next = 1;

    MessagesChange append(std::vector<Kind> kinds) {
        for (const Kind kind : kinds) {
            static constexpr std::uint32_t firstWords[] = {0x40903C00, 0x10F80000, 0x10FE0000,
                                                           0x20903C64};
            MIDIMessage message = makeMessage({firstWords[static_cast<int>(kind)]}, "Keys", next++);
            message.id = Identifier::make();
            message.sourceIsUMPNative = kind != Kind::legacyNote;
            messages.push_back(std::move(message));
        }
        std::size_t dropped = 0;
        for (; messages.size() > limit; ++dropped)
            messages.pop_front();
        return {kinds.size(), dropped, false};
    }
    MessagesChange clear() {
        messages.clear();
        return {0, 0, true};
    }
};

Numbers numbers(const VisibleList& list) {
    Numbers result;
    for (const VisibleEntry& entry : list.entries()) {
        EXPECT_EQ(entry.message->sequenceNumber, entry.sequenceNumber) << "a dangling entry";
        result.push_back(entry.sequenceNumber);
    }
    return result;
}

TEST(VisibleList, FollowsTheBufferAsTheFilterSeesItAndTellsEachChange) {
    using K = Kind;
    MessageFilter noClock;
    noClock.hideMidiClock = true;
    MessageFilter onlyUMP = noClock;
    onlyUMP.onlyUMPSources = true;
    struct Step {
        const char* name;
        std::optional<std::vector<Kind>> append; // else clear, or the filter below
        std::optional<MessageFilter> filter;
        std::optional<VisibleChange> change;
        bool newestChanged;
    };
    const Step steps[] = {
        {"firstBatch", std::vector{K::note, K::clock, K::sensing}, {}, VisibleChange{0, 2}, true},
        {"onlyHidden", std::vector{K::clock}, {}, std::nullopt, false},
        {"trimThenAppend", std::vector{K::legacyNote, K::note}, {}, VisibleChange{1, 2}, true},
        {"trimOfHiddenOnly", std::vector{K::clock}, {}, std::nullopt, false},
        {"moreThanTheBufferKeeps", std::vector(7, K::note), {}, VisibleChange{3, 5}, true},
        {"sameFilter", {}, noClock, std::nullopt, false},
        {"filterChange", {}, onlyUMP, VisibleChange{0, 0, true}, false},
        {"afterTheFilter", std::vector{K::legacyNote, K::clock}, {}, VisibleChange{2, 0}, false},
        {"clear", {}, {}, VisibleChange{0, 0, true}, true},
        {"afterClear", std::vector{K::sensing}, {}, VisibleChange{0, 1}, true},
    };
    Buffer buffer;
    VisibleList list(noClock);
    Numbers mirror; // the rows kept only from the changes, as a list model keeps them
    for (const Step& step : steps) {
        SCOPED_TRACE(step.name);
        const VisibleUpdate update = step.append
                                         ? list.follow(buffer.messages, buffer.append(*step.append))
                                     : step.filter ? list.setFilter(buffer.messages, *step.filter)
                                                   : list.follow(buffer.messages, buffer.clear());
        EXPECT_EQ(update.change, step.change);
        EXPECT_EQ(update.newestChanged, step.newestChanged);

        Numbers expected;
        for (const MIDIMessage& m : buffer.messages)
            if (!list.filter().hides(m)) expected.push_back(m.sequenceNumber);
        const Numbers now = numbers(list);
        EXPECT_EQ(now, expected);
        if (const auto& c = update.change) {
            if (c->reset) mirror.clear();
            ASSERT_LE(c->removed, mirror.size());
            ASSERT_LE(c->appended, now.size());
            mirror.erase(mirror.begin(), mirror.begin() + static_cast<std::ptrdiff_t>(c->removed));
            mirror.insert(mirror.end(),
                          now.end() -
                              static_cast<std::ptrdiff_t>(c->reset ? now.size() : c->appended),
                          now.end());
        }
        EXPECT_EQ(mirror, expected);
        EXPECT_EQ(list.newest(), now.empty() ? nullptr : list.entries().back().message);
    }
}

// Held in a copy, the list points only into the copy while the buffer goes on; back in the
// buffer, what it dropped leaves the front and what it received is appended. A copy that lacks
// an entry is read whole instead.
TEST(VisibleList, HeldInACopyAndBackIntoTheBuffer) {
    using K = Kind;
    MessageFilter noClock;
    noClock.hideMidiClock = true;
    const struct {
        const char* name;
        std::vector<Kind> before, meanwhile;
        std::optional<VisibleChange> change;
        bool newestChanged;
    } rows[] = {
        {"nothingCame", {K::note, K::clock}, {}, std::nullopt, false},
        {"someCame", {K::note, K::clock}, {K::clock, K::note}, VisibleChange{0, 1}, true},
        {"onlyHiddenCame", {K::note}, {K::clock}, std::nullopt, false},
        {"someDropped",
         {K::note, K::note, K::note},
         {K::note, K::note, K::note},
         VisibleChange{1, 3},
         true},
        {"allDropped", {K::note, K::note}, std::vector(6, K::note), VisibleChange{2, 5}, true},
        {"emptyAtThePause", {}, {K::note}, VisibleChange{0, 1}, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Buffer buffer;
        VisibleList list(noClock);
        list.follow(buffer.messages, buffer.append(row.before));
        const std::deque<MIDIMessage> copy = buffer.messages;
        EXPECT_EQ(list.hold(copy), VisibleUpdate{});
        buffer.append(row.meanwhile);
        for (const VisibleEntry& entry : list.entries())
            EXPECT_TRUE(std::ranges::any_of(copy, [&](const MIDIMessage& m) {
                return &m == entry.message;
            })) << "into the copy";
        const auto lastHeld =
            copy.empty() ? std::nullopt : std::optional(copy.back().sequenceNumber);
        const VisibleUpdate update = list.rejoin(buffer.messages, lastHeld);
        EXPECT_EQ(update.change, row.change);
        EXPECT_EQ(update.newestChanged, row.newestChanged);
        Numbers expected;
        for (const MIDIMessage& m : buffer.messages)
            if (!noClock.hides(m)) expected.push_back(m.sequenceNumber);
        EXPECT_EQ(numbers(list), expected);
    }

    Buffer buffer;
    VisibleList list;
    list.follow(buffer.messages, buffer.append({K::note, K::note}));
    std::deque<MIDIMessage> partial = buffer.messages;
    partial.pop_front();
    EXPECT_EQ(list.hold(partial), (VisibleUpdate{VisibleChange{0, 0, true}, false}));
    EXPECT_EQ(numbers(list), Numbers{2});
}

} // namespace
} // namespace umbrascope
