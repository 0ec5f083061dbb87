#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Hexadecimal text, written and read through std::to_chars and std::from_chars: no locale, no
// allocation beyond the output string, the same digits on every thread.
namespace umbrascope::hex {

enum class Letters { upper, lower };

// The digits of `value`, padded with zeros to at least `minDigits`.
inline void append(std::string& out, std::uint64_t value, int minDigits,
                   Letters letters = Letters::upper) {
    char buffer[16];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, 16).ptr;
    for (auto width = static_cast<int>(end - buffer); width < minDigits; ++width)
        out += '0';
    for (const char* p = buffer; p != end; ++p)
        out += letters == Letters::upper && *p >= 'a' ? static_cast<char>(*p - 'a' + 'A') : *p;
}

inline std::string text(std::uint64_t value, int minDigits) {
    std::string out;
    append(out, value, minDigits);
    return out;
}

// One to `maxDigits` hex digits of either case and nothing else: no prefix, sign or blank.
inline std::optional<std::uint32_t> parse(std::string_view digits, std::size_t maxDigits = 8) {
    if (digits.empty() || digits.size() > maxDigits) return std::nullopt;
    std::uint32_t value = 0;
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, 16);
    if (error != std::errc() || stop != end) return std::nullopt;
    return value;
}

} // namespace umbrascope::hex
