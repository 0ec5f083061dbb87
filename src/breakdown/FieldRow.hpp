#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/Identifier.hpp"

namespace umbrascope {

// One row of a field breakdown. A row with hex digits is 4 bits per digit; a row without them
// (every sub-row) carries its width explicitly.
struct FieldRow {
    Identifier id = Identifier::make();
    std::string hex;
    std::int64_t bits = 0;
    std::string label;
    std::vector<FieldRow> subRows;

    static FieldRow withHex(std::string hex, std::string label, std::vector<FieldRow> subRows = {});
    static FieldRow withBits(std::int64_t bits, std::string label);
};

using DigitSpan = std::pair<int, int>; // half-open [start, end) over the word's "%08X" digits

// The digits of `word` that each span covers, one text per span.
std::vector<std::string> hexSpans(std::uint32_t word, std::span<const DigitSpan> spans);
// The digits of one span.
std::string hexDigits(std::uint32_t word, int start, int end);

} // namespace umbrascope
