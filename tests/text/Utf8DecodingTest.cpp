#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/Utf8Decoding.hpp"

namespace umbrascope {
namespace {

const std::string fffd = "\xEF\xBF\xBD";

struct DecodeCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string text;
};

class Utf8Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Utf8Decode, ReplacesEachMaximalIllFormedPart) {
    const auto& c = GetParam();
    const std::string text = decodeUtf8Replacing(c.bytes);
    EXPECT_EQ(text, c.text);
    EXPECT_TRUE(isValidUtf8(text));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Decode,
    testing::Values(DecodeCase{"ascii", {'H', 'i'}, "Hi"}, DecodeCase{"empty", {}, ""},
                    DecodeCase{"zeroKept", {'A', 0, 'B'}, std::string("A\0B", 3)},
                    DecodeCase{"twoThreeFourBytes",
                               {0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x8E, 0xB9},
                               "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9"},
                    DecodeCase{"loneContinuation", {0x80, 'A'}, fffd + "A"},
                    DecodeCase{"overlongTwoByte", {0xC0, 0xAF}, fffd + fffd},
                    DecodeCase{"overlongThreeByte", {0xE0, 0x80, 0xAF}, fffd + fffd + fffd},
                    DecodeCase{"surrogate", {0xED, 0xA0, 0x80}, fffd + fffd + fffd},
                    DecodeCase{
                        "aboveLastCodePoint", {0xF4, 0x90, 0x80, 0x80}, fffd + fffd + fffd + fffd},
                    DecodeCase{"neverALead", {0xF5, 0xFF, 0xFE}, fffd + fffd + fffd},
                    DecodeCase{"cutShortAtTheEnd", {'A', 0xE2, 0x82}, "A" + fffd},
                    DecodeCase{"cutShortBeforeAscii", {0xF0, 0x9F, 0x8E, 'B'}, fffd + "B"},
                    DecodeCase{"lastCodePoint", {0xF4, 0x8F, 0xBF, 0xBF}, "\xF4\x8F\xBF\xBF"}),
    [](const auto& param) { return param.param.name; });

TEST(Utf8Validity, RejectsWhatTheDecoderReplaces) {
    EXPECT_TRUE(isValidUtf8("Caf\xC3\xA9"));
    EXPECT_TRUE(isValidUtf8(std::string("\0", 1)));
    EXPECT_FALSE(isValidUtf8("\xC3"));
    EXPECT_FALSE(isValidUtf8("\xED\xB0\x80"));
    EXPECT_FALSE(isValidUtf8("\xC1\xBF"));
}

} // namespace
} // namespace umbrascope
