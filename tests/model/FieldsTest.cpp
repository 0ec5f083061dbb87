#include <gtest/gtest.h>

#include "breakdown/FieldRow.hpp"
#include "model/Fields.hpp"

namespace umbrascope {
namespace {

TEST(WordConventions, GroupAndChannelAreZeroBasedOnTheWire) {
    // Group 0xF is shown as 16 and channel 0 as 1 by the text layer; the model keeps the raw bits.
    EXPECT_EQ(ump::group(0x2F903C00), 15);
    EXPECT_EQ(ump::channel(0x2F903C00), 0);
    EXPECT_EQ(ump::channel(0x209F3C00), 15);
}

TEST(HexSpans, DigitsFromTheRightPositions) {
    const DigitSpan spans[] = {{0, 1}, {1, 2}, {2, 3}, {3, 8}, {4, 4}, {0, 8}};
    const auto texts = hexSpans(0x0123ABCD, spans);
    const std::vector<std::string> expected{"0", "1", "2", "3ABCD", "", "0123ABCD"};
    EXPECT_EQ(texts, expected);
    EXPECT_TRUE(hexSpans(0x0123ABCD, {}).empty());
}

} // namespace
} // namespace umbrascope
