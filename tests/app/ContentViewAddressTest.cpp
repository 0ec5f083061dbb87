#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <vector>

#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace testing_support;
using Numbers = std::vector<std::int64_t>;

constexpr std::optional<std::uint8_t> all = std::nullopt;

// Channel 1 and 10, groups 1 and 2, and messages without a channel or a group.
const std::vector<Words> mixed{
    {0x20903C64u},                    // 0: channel 1, group 1
    {0x20993C64u},                    // 1: channel 10, group 1
    {0x21993C64u},                    // 2: channel 10, group 2
    {0x10F80000u},                    // 3: group 1, no channel
    {0xF0030000u, 0, 0, 0},           // 4: UMP Stream, neither
    {0xD0090000u, 0x02FAF080u, 0, 0}, // 5: Flex Data to channel 10, group 1
    {0xD1100000u, 0x02FAF080u, 0, 0}, // 6: Flex Data to all of group 2
    {0x00200001u},                    // 7: utility, neither
};

TEST(ContentViewAddress, ThePickersHideOnlyFromTheListSayTheChoiceAndAllShowsEverythingAgain) {
    Window w;
    w.receive(mixed);
    w.speechOn();
    w.log->calls.clear();
    const struct {
        const char* name;
        std::function<void(Window&)> step;
        Numbers visible;
        Texts spoken;
    } steps[] = {
        {"channel10",
         [](Window& v) { v.view->setShownAddress(AddressField::channel, 9); },
         {1, 2, 3, 4, 5, 6, 7},
         {"Channel 10"}},
        {"group1",
         [](Window& v) { v.view->setShownAddress(AddressField::group, 0); },
         {1, 3, 4, 5, 7},
         {"Group 1"}},
        {"sameAgainSaysNothing",
         [](Window& v) { v.view->setShownAddress(AddressField::group, 0); },
         {1, 3, 4, 5, 7},
         {}},
        {"withTheTypeKey",
         [](Window& v) { v.key("1"); },
         {3, 4, 5, 7},
         {"MIDI 1.0 Channel Voice Off"}},
        {"typeShownAgain",
         [](Window& v) { v.key("1"); },
         {1, 3, 4, 5, 7},
         {"MIDI 1.0 Channel Voice On"}},
        // Received while hidden, and kept.
        {"arrivingOnChannel1", [](Window& v) { v.receive({{0x20803C00u}}); }, {1, 3, 4, 5, 7}, {}},
        {"allChannels",
         [](Window& v) { v.view->setShownAddress(AddressField::channel, all); },
         {0, 1, 3, 4, 5, 7, 8},
         {"All channels"}},
        {"allGroups",
         [](Window& v) { v.view->setShownAddress(AddressField::group, all); },
         {0, 1, 2, 3, 4, 5, 6, 7, 8},
         {"All groups"}},
        {"group16",
         [](Window& v) { v.view->setShownAddress(AddressField::group, 15); },
         {4, 7},
         {"Group 16"}},
        {"outOfRangeIsRefused",
         [](Window& v) { v.view->setShownAddress(AddressField::channel, 16); },
         {4, 7},
         {}},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.name);
        w.log->calls.clear();
        s.step(w);
        w.queue.drain();
        EXPECT_EQ(w.visibleNumbers(), s.visible);
        EXPECT_EQ(w.spoken(), s.spoken);
    }
    EXPECT_EQ(w.view->midiManager().messages().size(), 9u);
    EXPECT_EQ(w.view->shownAddress(AddressField::group), std::optional<std::uint8_t>(15));
    EXPECT_EQ(w.view->shownAddress(AddressField::channel), all);
}

TEST(ContentViewAddress, WithNarrationOffAChoiceIsSilent) {
    Window w;
    w.view->setShownAddress(AddressField::channel, 0);
    w.queue.drain();
    EXPECT_TRUE(w.spoken().empty());
}

TEST(ContentViewCopy, CopiesSayCopiedAndNothingToCopyIsSaid) {
    Window w;
    w.receive({{0x20903C64u}, {0x10F80000u}});
    w.speechOn();
    w.log->calls.clear();
    std::vector<const MIDIMessage*> messages;
    for (const MIDIMessage& m : w.view->visibleMessages())
        messages.push_back(&m);
    EXPECT_EQ(w.view->copyMessages(CopyKind::hex, messages), "20903C64\n10F80000\n");
    EXPECT_EQ(w.view->copyMessages(CopyKind::hex, {}), std::nullopt);
    w.queue.drain();
    EXPECT_EQ(w.spoken(), (Texts{"Copied", "No Message To Copy"}));
}

} // namespace
} // namespace umbrascope
