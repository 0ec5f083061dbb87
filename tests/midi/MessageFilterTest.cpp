#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "midi/MessageFilter.hpp"
#include "support/MessageFactory.hpp"

namespace umbrascope {
namespace {

using testing_support::makeMessage;

constexpr int all = -1;

struct AddressCase {
    const char* name;
    PacketWords words;
    int group;   // 1 to 16 as the picker shows it, or all
    int channel; // likewise
    bool hidden;
};

std::optional<std::uint8_t> choice(int shown) {
    if (shown == all) return std::nullopt;
    return static_cast<std::uint8_t>(shown - 1);
}

// Group and channel nibbles of 0 and 15 (the pickers' 1 and 16), chosen to match and not to
// match, per message type; a type without the field is never hidden by that choice.
const AddressCase addressCases[] = {
    {"Midi1Group1ChosenGroup1", {0x20903C64u}, 1, all, false},
    {"Midi1Group1ChosenGroup16", {0x20903C64u}, 16, all, true},
    {"Midi1Group16ChosenGroup16", {0x2F903C64u}, 16, all, false},
    {"Midi1Group16ChosenGroup1", {0x2F903C64u}, 1, all, true},
    {"Midi1Channel1ChosenChannel1", {0x20903C64u}, all, 1, false},
    {"Midi1Channel1ChosenChannel16", {0x20903C64u}, all, 16, true},
    {"Midi1Channel16ChosenChannel16", {0x209F3C64u}, all, 16, false},
    {"Midi1Channel16ChosenChannel1", {0x209F3C64u}, all, 1, true},
    {"Midi1BothMatch", {0x2A993C64u}, 11, 10, false},
    {"Midi1ChannelMatchesGroupDoesNot", {0x2A993C64u}, 1, 10, true},
    {"Midi1GroupMatchesChannelDoesNot", {0x2A993C64u}, 11, 1, true},
    {"Midi2Group16Channel16Match", {0x4F9F3C00u, 0xFFFF0000u}, 16, 16, false},
    {"Midi2OtherChannel", {0x4F9F3C00u, 0xFFFF0000u}, 16, 15, true},
    {"Midi2OtherGroup", {0x4F9F3C00u, 0xFFFF0000u}, 15, 16, true},
    {"SystemHasAGroup", {0x1FF80000u}, 16, all, false},
    {"SystemOtherGroup", {0x1FF80000u}, 1, all, true},
    {"SystemHasNoChannel", {0x10F80000u}, all, 16, false},
    {"SysEx7HasAGroup", {0x3F160102u, 0x03040506u}, 1, all, true},
    {"SysEx7HasNoChannel", {0x3F160102u, 0x03040506u}, 16, 1, false},
    {"SysEx8HasAGroup", {0x50000000u, 0, 0, 0}, 16, all, true},
    {"SysEx8HasNoChannel", {0x5F0F0000u, 0, 0, 0}, 16, 1, false},
    {"FlexChannelAddressedOtherChannel", {0xD20F0000u, 0x00000001u, 0, 0}, 3, 1, true},
    {"FlexChannelAddressedSameChannel", {0xD20F0000u, 0x00000001u, 0, 0}, 3, 16, false},
    {"FlexChannelAddressedOtherGroup", {0xD20F0000u, 0x00000001u, 0, 0}, 16, all, true},
    {"FlexGroupAddressedHasNoChannel", {0xD21F0000u, 0x00000001u, 0, 0}, 3, 1, false},
    {"FlexGroupAddressedOtherGroup", {0xD21F0000u, 0x00000001u, 0, 0}, 1, all, true},
    {"UtilityHasNoGroup", {0x0F200001u}, 1, all, false},
    {"UtilityHasNoChannel", {0x002F0001u}, all, 1, false},
    {"UmpStreamHasNoGroup", {0xFF030000u, 0, 0, 0}, 1, 1, false},
    {"UmpStreamHasNoGroupAtSixteen", {0xF0030000u, 0, 0, 0}, 16, 16, false},
    {"ReservedTypeIsNeverHidden", {0x6A9F0000u}, 1, 1, false},
    {"ReservedLongTypeIsNeverHidden", {0xEA9F0000u}, 16, 16, false},
    {"AllShowsEverything", {0x2F9F3C64u}, all, all, false},
};

class AddressFilter : public testing::TestWithParam<AddressCase> {};

TEST_P(AddressFilter, HidesOnlyMessagesOfAnotherGroupOrChannel) {
    const AddressCase& c = GetParam();
    MessageFilter filter;
    filter.shownGroup = choice(c.group);
    filter.shownChannel = choice(c.channel);
    EXPECT_EQ(filter.hides(makeMessage(c.words)), c.hidden);
}

INSTANTIATE_TEST_SUITE_P(Cases, AddressFilter, testing::ValuesIn(addressCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(AddressFilter, CombinesWithTheTypeAndStatusFilters) {
    MessageFilter filter;
    filter.shownChannel = 0;
    filter.hiddenMessageTypes.insert(UMPMessageType::utility);
    filter.hideMidiClock = true;
    // Groupless and channel-less, but its type is hidden.
    EXPECT_TRUE(filter.hides(makeMessage({0x00200001u})));
    // Channel-less, so the channel keeps it; the clock switch hides it.
    EXPECT_TRUE(filter.hides(makeMessage({0x10F80000u})));
    EXPECT_FALSE(filter.hides(makeMessage({0x10FA0000u})));
    EXPECT_FALSE(filter.hides(makeMessage({0x20903C64u})));
    filter.hiddenMessageTypes.insert(UMPMessageType::midi1ChannelVoice);
    EXPECT_TRUE(filter.hides(makeMessage({0x20903C64u})));
}

} // namespace
} // namespace umbrascope
