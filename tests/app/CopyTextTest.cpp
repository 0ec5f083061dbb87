#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AddressChoice.hpp"
#include "app/CopyText.hpp"
#include "support/MessageFactory.hpp"

namespace umbrascope {
namespace {

using testing_support::makeMessage;

TEST(CopyText, HexIsOneLinePerMessageInTheOrderGiven) {
    const MIDIMessage note = makeMessage({0x40903C00u, 0xFFFF0000u});
    const MIDIMessage clock = makeMessage({0x10F80000u});
    const std::vector<const MIDIMessage*> both{&note, &clock};
    EXPECT_EQ(copyText(CopyKind::hex, both), "40903C00  FFFF0000\n10F80000\n");
    EXPECT_EQ(copyText(CopyKind::hex, {}), "");
}

TEST(CopyText, DetailsAreEachDescriptionAboveItsBreakdownWithABlankLineBetween) {
    const MIDIMessage note = makeMessage({0x20903C64u});
    MIDIMessage text = makeMessage({0x10F80000u});
    text.description = "Name\x1b[2J";
    const std::vector<const MIDIMessage*> both{&note, &text};
    // Device text stays inert when pasted into a terminal.
    EXPECT_EQ(copyText(CopyKind::details, both),
              "Note On: C4 (60), velocity 100 (78.74%) \u2014 Ch 1, Grp 1\n"
              "    2          4 bits  Message Type = 2, MIDI 1.0 Channel Voice Message\n"
              "    0          4 bits  Group 1\n"
              "    9          4 bits  Note On\n"
              "    0          4 bits  Channel 1\n"
              "    3C         8 bits  Note Number = C4\n"
              "    64         8 bits  Velocity = 100 (78.74%)\n"
              "\n"
              "Name\\x1B[2J\n"
              "    1          4 bits  Message Type = 1, System Real-Time/Common Message\n"
              "    0          4 bits  Group 1\n"
              "    F8         8 bits  Status = 0xF8 (Timing Clock)\n"
              "    00         8 bits  Data 1 = 0\n"
              "    00         8 bits  Data 2 = 0\n");
}

TEST(AddressChoice, TheTextsShownAndSaidCountFromOne) {
    EXPECT_EQ(addressChoiceText(AddressField::channel, std::nullopt), "All channels");
    EXPECT_EQ(addressChoiceText(AddressField::channel, 0), "Channel 1");
    EXPECT_EQ(addressChoiceText(AddressField::channel, 9), "Channel 10");
    EXPECT_EQ(addressChoiceText(AddressField::group, std::nullopt), "All groups");
    EXPECT_EQ(addressChoiceText(AddressField::group, 15), "Group 16");
    EXPECT_TRUE(addressChoiceHint(AddressField::group).starts_with("Keyboard shortcut Alt+G. "));
    EXPECT_TRUE(addressChoiceHint(AddressField::channel).starts_with("Keyboard shortcut Alt+C. "));
}

} // namespace
} // namespace umbrascope
