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
        SplitCase{
            "truncatedData128", {0x50160000, 0x01020304}, {{0x50160000, 0x01020304}}, {T::data128}},
        SplitCase{"reservedNibblesAreOneWordEach",
                  {0x80000000, 0x00000000},
                  {{0x80000000}, {0x00000000}},
                  {T::unknown, T::utility}},
        SplitCase{"flexTakesFour",
                  {0xD0000000, 1, 2, 3, 0x10F80000},
                  {{0xD0000000, 1, 2, 3}, {0x10F80000}},
                  {T::flexData, T::system}},
        SplitCase{"midi2CutShort", {0x40903C00}, {{0x40903C00}}, {T::midi2ChannelVoice}},
        SplitCase{
            "streamTakesFour", {0xF0200000, 0, 0, 0}, {{0xF0200000, 0, 0, 0}}, {T::umpStream}},
        SplitCase{"empty", {}, {}, {}}),
    [](const auto& param) { return param.param.name; });

TEST(ClassifyPacket, LengthsByNibble) {
    const std::size_t expected[16] = {1, 1, 1, 2, 2, 4, 1, 1, 1, 1, 1, 1, 1, 4, 1, 4};
    for (std::uint32_t nibble = 0; nibble < 16; ++nibble)
        EXPECT_EQ(classifyPacket(nibble << 28).length, expected[nibble]) << "nibble " << nibble;
}

TEST(UMPMessageTypeRaw, AcceptsExactlyTheDeclaredValues) {
    for (std::int64_t raw = -3; raw <= 20; ++raw) {
        const bool declared = raw == -1 || (raw >= 0 && raw <= 5) || raw == 13 || raw == 15;
        const auto type = umpMessageTypeFromRaw(raw);
        EXPECT_EQ(type.has_value(), declared) << raw;
        if (type) {
            EXPECT_EQ(rawValue(*type), raw);
        }
    }
    EXPECT_EQ(umpMessageTypeFromRaw(-1), UMPMessageType::unknown);
}

TEST(UMPMessageTypeNames, CaseNamesRoundTripAndDisplayNamesDiffer) {
    for (auto type : allMessageTypes) {
        EXPECT_EQ(umpMessageTypeFromCaseName(caseName(type)), type);
        EXPECT_FALSE(displayName(type).empty());
    }
    EXPECT_EQ(displayName(UMPMessageType::data128), "SysEx (8-bit) / Mixed Data");
    EXPECT_EQ(displayName(UMPMessageType::system), "System Real-Time / Common");
    EXPECT_FALSE(umpMessageTypeFromCaseName("Utility").has_value());
}

MIDIMessage messageOf(std::vector<std::uint32_t> words) {
    MIDIMessage message;
    message.words = PacketWords(std::span<const std::uint32_t>(words));
    message.messageType = classifyPacket(words.at(0)).type;
    return message;
}

TEST(HexString, EightUpperCaseDigitsJoinedByTwoSpaces) {
    EXPECT_EQ(hexString(messageOf({0x20903C64})), "20903C64");
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
    EXPECT_EQ(text[8], '-');
}

} // namespace
} // namespace umbrascope
