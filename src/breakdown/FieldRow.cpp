#include "breakdown/FieldRow.hpp"

#include <algorithm>

#include "core/Hex.hpp"

namespace umbrascope {

FieldRow FieldRow::withHex(std::string hex, std::string label, std::vector<FieldRow> subRows) {
    FieldRow row;
    row.bits = static_cast<std::int64_t>(hex.size()) * 4;
    row.hex = std::move(hex);
    row.label = std::move(label);
    row.subRows = std::move(subRows);
    return row;
}

FieldRow FieldRow::withBits(std::int64_t bits, std::string label) {
    FieldRow row;
    row.bits = bits;
    row.label = std::move(label);
    return row;
}

std::string hexDigits(std::uint32_t word, int start, int end) {
    start = std::clamp(start, 0, 8);
    end = std::clamp(end, start, 8);
    std::string digits;
    hex::append(digits, word, 8);
    return digits.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start));
}

std::vector<std::string> hexSpans(std::uint32_t word, std::span<const DigitSpan> spans) {
    std::vector<std::string> texts;
    texts.reserve(spans.size());
    for (const auto& [start, end] : spans)
        texts.push_back(hexDigits(word, start, end));
    return texts;
}

} // namespace umbrascope
