#include <gtest/gtest.h>

#include <vector>

#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"

namespace umbrascope {
namespace {

struct SplitCase {
    const char* name;
    std::vector<std::uint32_t> words;
    std::vector<std::vector<std::uint32_t>> packets;
    std::vector<UMPMessageType> types;
};

class SplitPackets : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitPackets, SplitsAndClassifies) {
    const auto& c = GetParam();
    const auto packets = splitPackets(c.words);
    ASSERT_EQ(packets.size(), c.packets.size());
    for (std::size_t i = 0; i < packets.size(); ++i) {
        EXPECT_EQ(packets[i].toVector(), c.packets[i]) << "packet " << i;
        EXPECT_EQ(classifyPacket(packets[i][0]).type, c.types[i]) << "packet " << i;
    }
}

using T = UMPMessageType;
INSTANTIATE_TEST_SUITE_P(
    Runs, SplitPackets,
    testing::Values(
        SplitCase{"midi1ThenMidi2",
                  {0x20903C64, 0x40903C00, 0xFFFF0000},
                  {{0x20903C64}, {0x40903C00, 0xFFFF0000}},
                  {T::midi1ChannelVoice, T::midi2ChannelVoice}},
        // Every class in one run: each takes exactly its own length.
        SplitCase{"everyClassItsLength",
                  {0x00000000, 0x10F80000, 0x20903C64, 0x30160000, 1,          0x40903C00, 2,
                   0x50000000, 3,          4,          5,          0xD0000000, 6,          7,
                   8,          0xF0200000, 9,          10,         11,         0xE0000000},
                  {{0x00000000},
                   {0x10F80000},
                   {0x20903C64},
                   {0x30160000, 1},
                   {0x40903C00, 2},
                   {0x50000000, 3, 4, 5},
                   {0xD0000000, 6, 7, 8},
                   {0xF0200000, 9, 10, 11},
                   {0xE0000000}},
                  {T::utility, T::system, T::midi1ChannelVoice, T::data64, T::midi2ChannelVoice,
                   T::data128, T::flexData, T::umpStream, T::unknown}},
        SplitCase{
            "truncatedData128", {0x50160000, 0x01020304}, {{0x50160000, 0x01020304}}, {T::data128}},
        SplitCase{"reservedNibblesAreOneWordEach",
                  {0x80000000, 0x00000000},
                  {{0x80000000}, {0x00000000}},
                  {T::unknown, T::utility}},
        SplitCase{"midi2CutShort", {0x40903C00}, {{0x40903C00}}, {T::midi2ChannelVoice}},
        SplitCase{"empty", {}, {}, {}}),
    [](const auto& param) { return param.param.name; });

TEST(UMPMessageTypeNames, RawValuesAndNamesRoundTrip) {
    for (auto type : allMessageTypes) {
        EXPECT_EQ(umpMessageTypeFromRaw(rawValue(type)), type);
        EXPECT_EQ(umpMessageTypeFromCaseName(caseName(type)), type);
    }
    for (std::int64_t raw : {-2, 6, 14, 16})
        EXPECT_FALSE(umpMessageTypeFromRaw(raw).has_value()) << raw;
    EXPECT_FALSE(umpMessageTypeFromCaseName("Utility").has_value());
    EXPECT_EQ(displayName(UMPMessageType::data128), "SysEx (8-bit) / Mixed Data");
    EXPECT_EQ(displayName(UMPMessageType::system), "System Real-Time / Common");
}

MIDIMessage messageOf(std::vector<std::uint32_t> words) {
    MIDIMessage message;
    message.words = PacketWords(std::span<const std::uint32_t>(words));
    message.messageType = classifyPacket(words.at(0)).type;
    return message;
}

TEST(HexString, EightUpperCaseDigitsJoinedByTwoSpaces) {
    EXPECT_EQ(hexString(messageOf({0x0000000A})), "0000000A");
    EXPECT_EQ(hexString(messageOf({0x40903C00, 0xFFFF0000})), "40903C00  FFFF0000");
    EXPECT_EQ(hexString(messageOf({0xD0000000, 0xabcdef01, 0, 1})),
              "D0000000  ABCDEF01  00000000  00000001");
}

TEST(StatusTests, ClockAndActiveSensingAreSystemOnly) {
    EXPECT_TRUE(isMidiClock(messageOf({0x10F80000})));
    EXPECT_FALSE(isActiveSensing(messageOf({0x10F80000})));
    EXPECT_TRUE(isActiveSensing(messageOf({0x1FFE0000})));
    for (std::uint32_t status : {0xFAu, 0xFBu, 0xFCu})
        EXPECT_FALSE(isMidiClock(messageOf({0x10000000 | status << 16}))) << status;
    // The same status byte in another class is neither.
    EXPECT_FALSE(isMidiClock(messageOf({0x20F80000})));
    EXPECT_FALSE(isActiveSensing(messageOf({0x00FE0000})));
    EXPECT_FALSE(isMidiClock(MIDIMessage{}));
}

TEST(Identifier, UniqueAndUuidShaped) {
    const auto a = Identifier::make();
    const auto b = Identifier::make();
    EXPECT_NE(a, b);
    const auto text = a.toString();
    ASSERT_EQ(text.size(), 36u);
    EXPECT_EQ(text[14], '4');
    for (std::size_t dash : {8u, 13u, 18u, 23u})
        EXPECT_EQ(text[dash], '-') << dash;
    EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF-"), std::string::npos);
}

} // namespace
} // namespace umbrascope
