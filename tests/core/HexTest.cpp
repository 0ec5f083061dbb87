#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/Hex.hpp"

namespace umbrascope {
namespace {

TEST(HexAppend, PadsAndKeepsEveryDigit) {
    const struct {
        std::uint64_t value;
        int minDigits;
        hex::Letters letters;
        const char* text;
    } rows[] = {
        {0xA, 8, hex::Letters::upper, "0000000A"},
        {0xABCDEF, 2, hex::Letters::upper, "ABCDEF"},
        {0x1B, 4, hex::Letters::lower, "001b"},
        {0, 1, hex::Letters::upper, "0"},
        {0xFFFFFFFFFFFFFFFFull, 12, hex::Letters::upper, "FFFFFFFFFFFFFFFF"},
    };
    for (const auto& row : rows) {
        std::string out = ">";
        hex::append(out, row.value, row.minDigits, row.letters);
        EXPECT_EQ(out, std::string(">") + row.text) << row.text;
    }
}

TEST(HexParse, DigitsOnly) {
    const struct {
        const char* text;
        std::size_t maxDigits;
        std::optional<std::uint32_t> value;
    } rows[] = {
        {"20903c64", 8, 0x20903C64},
        {"FFFFFFFF", 8, 0xFFFFFFFF},
        {"7", 8, 7},
        {"9f", 2, 0x9F},
        {"", 8, std::nullopt},
        {"123456789", 8, std::nullopt},
        {"123", 2, std::nullopt},
        {"0x12", 8, std::nullopt},
        {"+12", 8, std::nullopt},
        {"-1", 8, std::nullopt},
        {" 12", 8, std::nullopt},
        {"12 ", 8, std::nullopt},
        {"1G", 8, std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(hex::parse(row.text, row.maxDigits), row.value) << '"' << row.text << '"';
}

} // namespace
} // namespace umbrascope
