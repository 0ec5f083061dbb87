#include <gtest/gtest.h>

#include <vector>

#include "midi/EventPackets.hpp"

namespace umbrascope {
namespace {

using Words = std::vector<std::uint32_t>;

// Event packets of at most 64 words that never cut a UMP packet, and together hold every word.
TEST(EventPackets, AtMostSixtyFourWordsAndNoPacketCut) {
    Words sysExThenFlex; // 21 two-word packets, then 6 four-word packets: 66 words
    for (int i = 0; i < 21; ++i)
        sysExThenFlex.insert(sysExThenFlex.end(), {0x30160102, 0x03040506});
    for (int i = 0; i < 6; ++i)
        sysExThenFlex.insert(sysExThenFlex.end(), {0xD0100100, 1, 2, 3});
    const std::pair<Words, std::vector<std::size_t>> cases[] = {
        {sysExThenFlex, {62, 4}},
        {Words(64, 0x10F80000), {64}},
        {Words(65, 0x10F80000), {64, 1}},
        {{}, {}},
    };
    for (const auto& [words, sizes] : cases) {
        EventList list;
        addPacketsToEventList(list, words);
        std::vector<std::size_t> made;
        Words joined;
        list.forEach([&](const EventPacketView& packet) {
            made.push_back(packet.present.size());
            joined.insert(joined.end(), packet.present.begin(), packet.present.end());
        });
        EXPECT_EQ(made, sizes) << words.size() << " words";
        EXPECT_EQ(joined, words);
    }
}

} // namespace
} // namespace umbrascope
