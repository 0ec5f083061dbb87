#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace umbrascope::names {

// The text at `value` of a table indexed by value; `fallback` past its end or at an empty entry.
template <std::size_t N>
constexpr std::string_view tableText(const std::array<std::string_view, N>& table,
                                     std::size_t value, std::string_view fallback) {
    return value < N && !table[value].empty() ? table[value] : fallback;
}

// The entry at `value` of a table indexed by value, or nothing past its end.
template <typename Entry, std::size_t N>
constexpr const Entry* tableEntry(const std::array<Entry, N>& table, std::size_t value) {
    return value < N ? &table[value] : nullptr;
}

} // namespace umbrascope::names
