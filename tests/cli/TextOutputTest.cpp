#include <gtest/gtest.h>

#include "cli/Json.hpp"
#include "cli/TerminalText.hpp"

namespace umbrascope::cli {
namespace {

struct TextCase {
    const char* name;
    std::string input;
    std::string terminal;
    std::string json;
};

class DeviceText : public testing::TestWithParam<TextCase> {};

TEST_P(DeviceText, Escaped) {
    const auto& c = GetParam();
    EXPECT_EQ(terminalSafe(c.input), c.terminal);
    std::string json;
    appendJsonString(json, c.input);
    EXPECT_EQ(json, c.json);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeviceText,
    testing::Values(
        TextCase{"plain", "Keys 1", "Keys 1", "\"Keys 1\""},
        TextCase{"quoteAndBackslash", "a\"b\\c", "a\"b\\c", "\"a\\\"b\\\\c\""},
        TextCase{"lineBreaksAndTab", "a\nb\rc\td", "a\\nb\\rc\\td", "\"a\\nb\\rc\\td\""},
        TextCase{"escapeSequence", "\x1b[2J\x07", "\\x1B[2J\\x07", "\"\\u001b[2J\\u0007\""},
        TextCase{"nulAndDel", std::string("a\0b\x7f", 4), "a\\x00b\\x7F", "\"a\\u0000b\x7f\""},
        TextCase{"c1Control",
                 "a\xC2\x9B"
                 "b",
                 "a\\u009Bb",
                 "\"a\xC2\x9B"
                 "b\""},
        TextCase{"multiByteKept", "\xE2\x80\x94 \xF0\x9F\x8E\xB9", "\xE2\x80\x94 \xF0\x9F\x8E\xB9",
                 "\"\xE2\x80\x94 \xF0\x9F\x8E\xB9\""},
        TextCase{"strayByte",
                 "a\x9B"
                 "b",
                 "a\\x9Bb",
                 "\"a\xEF\xBF\xBD"
                 "b\""},
        // One replacement for the whole maximal ill-formed part, as everywhere else.
        TextCase{"truncatedSequence", "a\xE2\x80", "a\\xE2\\x80", "\"a\xEF\xBF\xBD\""},
        TextCase{"surrogate", "a\xED\xA0\x80", "a\\xED\\xA0\\x80",
                 "\"a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        TextCase{"overlong", "\xC0\xAF\xE0\x80\xAF", "\\xC0\\xAF\\xE0\\x80\\xAF",
                 "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""}),
    [](const auto& p) { return p.param.name; });

struct InvisibleCase {
    const char* name;
    std::string input;
    std::string terminal;
};

class InvisibleText : public testing::TestWithParam<InvisibleCase> {};

TEST_P(InvisibleText, ShownAsEscapes) {
    EXPECT_EQ(terminalSafe(GetParam().input), GetParam().terminal);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvisibleText,
    testing::Values(InvisibleCase{"rightToLeftOverride", "ab\u202Edc", "ab\\u202Edc"},
                    InvisibleCase{"zeroWidthSpace", "Ke\u200Bys", "Ke\\u200Bys"},
                    InvisibleCase{"zeroWidthJoiner", "a\u200Db", "a\\u200Db"},
                    InvisibleCase{"leftToRightMark", "\u200Ex", "\\u200Ex"},
                    InvisibleCase{"lineSeparator", "a\u2028b", "a\\u2028b"},
                    InvisibleCase{"paragraphSeparator", "a\u2029b", "a\\u2029b"},
                    InvisibleCase{"isolates", "\u2066x\u2069", "\\u2066x\\u2069"},
                    InvisibleCase{"byteOrderMark", "\uFEFFKeys", "\\uFEFFKeys"},
                    InvisibleCase{"arabicLetterMark", "\u061C", "\\u061C"},
                    // Neighbours of the escaped ranges stay as they are.
                    InvisibleCase{"visibleNeighbours", "\u2010\u2027\u202F\u205F\uFEFE",
                                  "\u2010\u2027\u202F\u205F\uFEFE"}),
    [](const auto& p) { return p.param.name; });

TEST(JsonWriter, NestsAndSeparates) {
    std::string out;
    JsonWriter json(out);
    json.beginObject();
    json.member("n", 3);
    json.member("list", std::vector<std::string>{"a", "b"});
    json.key("rows").beginArray();
    json.beginObject().member("ok", true).endObject();
    json.beginObject().member("big", std::uint64_t{18446744073709551615u}).endObject();
    json.null();
    json.endArray();
    json.member("empty", std::vector<std::string>{});
    json.endObject();
    EXPECT_EQ(out, "{\"n\":3,\"list\":[\"a\",\"b\"],\"rows\":[{\"ok\":true},"
                   "{\"big\":18446744073709551615},null],\"empty\":[]}");
}

} // namespace
} // namespace umbrascope::cli
