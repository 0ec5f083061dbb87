#include <gtest/gtest.h>

#include "text/UTF8Decoding.hpp"

namespace umbrascope {
namespace {

const std::string fffd = "\xEF\xBF\xBD";

struct DecodeCase {
    const char* name;
    std::vector<std::uint8_t> bytes;
    std::string text;
};

class UTF8Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(UTF8Decode, ReplacesEachMaximalIllFormedPart) {
    const std::string text = decodeUTF8Replacing(GetParam().bytes);
    EXPECT_EQ(text, GetParam().text);
    EXPECT_TRUE(isValidUTF8(text));
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, UTF8Decode,
    testing::Values(
        DecodeCase{
            "twoThreeFourBytes", {0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x8E, 0xB9}, "é€🎹"},
        DecodeCase{"zeroKept", {'A', 0, 'B'}, std::string("A\0B", 3)},
        DecodeCase{"loneContinuation", {0x80, 'A'}, fffd + "A"},
        DecodeCase{"overlong", {0xC0, 0xAF, 0xE0, 0x80}, fffd + fffd + fffd + fffd},
        DecodeCase{"surrogate", {0xED, 0xA0, 0x80}, fffd + fffd + fffd},
        DecodeCase{"aboveLastCodePoint", {0xF4, 0x90, 0x80, 0x80}, fffd + fffd + fffd + fffd},
        DecodeCase{"cutShort", {0xF0, 0x9F, 0x8E, 'B', 0xE2, 0x82}, fffd + "B" + fffd},
        DecodeCase{"lastCodePoint", {0xF4, 0x8F, 0xBF, 0xBF}, "\xF4\x8F\xBF\xBF"}),
    [](const auto& param) { return param.param.name; });

TEST(UTF8Sequence, CodePointsOrTheIllFormedPart) {
    const std::string text = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9\xE2\x82";
    const UTF8Sequence expected[] = {{1, true, U'A'},
                                     {2, true, U'\u00E9'},
                                     {3, true, U'\u20AC'},
                                     {4, true, U'\U0001F3B9'},
                                     {2, false, 0}};
    std::size_t at = 0;
    for (const auto& sequence : expected) {
        ASSERT_LT(at, text.size());
        const UTF8Sequence actual = nextUTF8Sequence(text, at);
        EXPECT_EQ(actual.length, sequence.length) << at;
        EXPECT_EQ(actual.valid, sequence.valid) << at;
        EXPECT_EQ(actual.codePoint, sequence.codePoint) << at;
        at += actual.length;
    }
    EXPECT_EQ(at, text.size());
}

TEST(UTF8Validity, RejectsWhatTheDecoderReplaces) {
    for (const char* bad : {"\xC3", "\xED\xB0\x80", "\xC1\xBF", "\xF8\x88\x80\x80\x80"})
        EXPECT_FALSE(isValidUTF8(bad)) << bad;
}

} // namespace
} // namespace umbrascope
