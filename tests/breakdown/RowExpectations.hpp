#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "breakdown/FieldRow.hpp"

namespace umbrascope::rowtest {

struct ExpectedRow {
    std::string hex;
    std::int64_t bits;
    std::string label;
};

// Compares hex, width and label of every top-level row; the message names the row that differs.
inline void expectRows(const std::vector<FieldRow>& rows,
                       const std::vector<ExpectedRow>& expected) {
    ASSERT_EQ(rows.size(), expected.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].hex, expected[i].hex) << "row " << i + 1;
        EXPECT_EQ(rows[i].bits, expected[i].bits) << "row " << i + 1;
        EXPECT_EQ(rows[i].label, expected[i].label) << "row " << i + 1;
        EXPECT_TRUE(rows[i].subRows.empty()) << "row " << i + 1;
    }
}

inline std::vector<std::string> labels(const std::vector<FieldRow>& rows) {
    std::vector<std::string> texts;
    for (const auto& row : rows)
        texts.push_back(row.label);
    return texts;
}

// The labels from row `first` (0-based) on.
inline std::vector<std::string> labelsFrom(const std::vector<FieldRow>& rows, std::size_t first) {
    std::vector<std::string> texts;
    for (std::size_t i = first; i < rows.size(); ++i)
        texts.push_back(rows[i].label);
    return texts;
}

// The hex digits of all rows in order, as one text.
inline std::string joinedHex(const std::vector<FieldRow>& rows) {
    std::string text;
    for (const auto& row : rows)
        text += row.hex;
    return text;
}

inline std::string renderedWords(const std::vector<std::uint32_t>& words) {
    std::string text;
    for (auto word : words)
        text += hexDigits(word, 0, 8);
    return text;
}

} // namespace umbrascope::rowtest
