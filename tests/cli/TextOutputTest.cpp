#include <gtest/gtest.h>

#include "cli/Json.hpp"
#include "cli/TerminalText.hpp"

namespace umbrascope::cli {
namespace {

TEST(DeviceText, EscapedForTheTerminalAndForJSON) {
    const struct {
        const char* name;
        std::string input;
        std::string terminal;
        std::string json;
    } rows[] = {
        {"quoteAndBackslash", "a\"b\\c", "a\"b\\c", "\"a\\\"b\\\\c\""},
        {"lineBreaksAndTab", "a\nb\rc\td", "a\\nb\\rc\\td", "\"a\\nb\\rc\\td\""},
        {"escapeSequence", "\x1b[2J\x07", "\\x1B[2J\\x07", "\"\\u001b[2J\\u0007\""},
        {"nulAndDel", std::string("a\0b\x7f", 4), "a\\x00b\\x7F", "\"a\\u0000b\x7f\""},
        {"c1Control", "a\xC2\x9B", "a\\u009B", "\"a\xC2\x9B\""},
        {"strayByte", "a\x9B", "a\\x9B", "\"a\xEF\xBF\xBD\""},
        {"surrogate", "a\xED\xA0\x80", "a\\xED\\xA0\\x80",
         "\"a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
        // Invisible formatting is shown on the terminal; JSON readers see it as it is.
        {"invisibleFormatting", "a\u202Eb\u200Bc\u2028d\uFEFF", "a\\u202Eb\\u200Bc\\u2028d\\uFEFF",
         "\"a\u202Eb\u200Bc\u2028d\uFEFF\""},
        {"multiByteNeighboursOfTheInvisibleKept", "\u2010\u2027\u202F\u205F\uFEFE",
         "\u2010\u2027\u202F\u205F\uFEFE", "\"\u2010\u2027\u202F\u205F\uFEFE\""},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(terminalSafe(row.input), row.terminal) << row.name;
        std::string json;
        appendJSONString(json, row.input);
        EXPECT_EQ(json, row.json) << row.name;
    }
}

} // namespace
} // namespace umbrascope::cli
