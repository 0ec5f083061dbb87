#include <gtest/gtest.h>

#include <vector>

#include "midi/EventPackets.hpp"

namespace umbrascope {
namespace {

std::vector<std::size_t> packetSizes(const EventList& list) {
    std::vector<std::size_t> sizes;
    list.forEach([&](const EventPacketView& packet) { sizes.push_back(packet.present.size()); });
    return sizes;
}

TEST(EventPackets, SixtyFourWordsAtMostAndNoPacketCut) {
    // 21 SysEx7 packets of two words and then 6 four-word packets: 42 + 24 = 66 words.
    std::vector<std::uint32_t> words;
    for (int i = 0; i < 21; ++i)
        words.insert(words.end(), {0x30160102, 0x03040506});
    for (int i = 0; i < 6; ++i)
        words.insert(words.end(), {0xD0100100, 1, 2, 3});
    EventList list;
    addPacketsToEventList(list, words);
    EXPECT_EQ(packetSizes(list), (std::vector<std::size_t>{62, 4}));
    std::vector<std::uint32_t> joined;
    list.forEach([&](const EventPacketView& packet) {
        joined.insert(joined.end(), packet.present.begin(), packet.present.end());
    });
    EXPECT_EQ(joined, words);
}

TEST(EventPackets, ExactlySixtyFourWordsIsOnePacket) {
    const std::vector<std::uint32_t> words(64, 0x10F80000);
    EventList list;
    addPacketsToEventList(list, words);
    EXPECT_EQ(packetSizes(list), (std::vector<std::size_t>{64}));
    addPacketsToEventList(list, std::vector<std::uint32_t>(65, 0x10F80000));
    EXPECT_EQ(packetSizes(list), (std::vector<std::size_t>{64, 64, 1}));
}

TEST(EventPackets, NoWordsNoPacket) {
    EventList list;
    addPacketsToEventList(list, {});
    EXPECT_TRUE(list.empty());
}

} // namespace
} // namespace umbrascope
