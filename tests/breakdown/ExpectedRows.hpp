#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "breakdown/BreakdownRows.hpp"
#include "core/Hex.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope::testing {

using Words = std::vector<std::uint32_t>;

// The rows of `words` as `type` gives them, checked for what holds in every breakdown: the rows
// tile the packet from its first bit; a row with hex digits shows exactly the digits at its place,
// 4 bits each; sub-rows have no digits and split their parent exactly.
inline std::vector<FieldRow> checkedRows(const Words& words, UMPMessageType type) {
    std::string digits;
    for (const auto word : words)
        hex::append(digits, word, 8);
    auto rows = breakdownRows(words, type);
    std::int64_t bit = 0;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_GT(row.bits, 0);
        if (!row.hex.empty()) {
            EXPECT_EQ(row.bits, 4 * static_cast<std::int64_t>(row.hex.size()));
            EXPECT_EQ(row.hex, digits.substr(static_cast<std::size_t>(bit / 4), row.hex.size()));
            EXPECT_EQ(bit % 4, 0);
        }
        std::int64_t split = 0;
        for (const auto& subRow : row.subRows) {
            EXPECT_TRUE(subRow.hex.empty() && subRow.subRows.empty()) << subRow.label;
            EXPECT_GT(subRow.bits, 0) << subRow.label;
            split += subRow.bits;
        }
        EXPECT_EQ(split, row.subRows.empty() ? 0 : row.bits);
        bit += row.bits;
    }
    EXPECT_LE(bit, 32 * static_cast<std::int64_t>(words.size()));
    return rows;
}

inline std::vector<FieldRow> checkedRows(const Words& words) {
    return checkedRows(words, classifyPacket(words.at(0)).type);
}

// The labels of rows in order, joined by " | "; a sub-row's label is marked "> ".
inline std::string labelsOf(const std::vector<FieldRow>& rows) {
    std::string text;
    for (const auto& row : rows) {
        text += (text.empty() ? "" : " | ") + row.label;
        for (const auto& subRow : row.subRows)
            text += " | > " + subRow.label;
    }
    return text;
}

// Each top-level row, without its sub-rows, as "{hex}:{bits} {label}", so a whole breakdown
// compares as one table.
inline std::vector<std::string> rendered(const std::vector<FieldRow>& rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows)
        lines.push_back(row.hex + ":" + std::to_string(row.bits) + " " + row.label);
    return lines;
}

} // namespace umbrascope::testing
