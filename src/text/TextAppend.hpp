#pragma once

#include <charconv>
#include <cmath>
#include <string>
#include <string_view>

#include "text/Percent.hpp"

// Small appenders for the text builders. Descriptions are made on the receive thread for every
// message, so these avoid iostreams and locale look-ups.
namespace umbrascope::text {

inline constexpr std::string_view emDash = " \xE2\x80\x94 ";

inline void appendInt(std::string& out, long long value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// As printf "%.2f": to_chars with a precision rounds the exact binary value the same way.
inline void appendFixed2(std::string& out, double value) {
    char buffer[400]; // wide enough for any finite double in fixed notation
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 2);
    out.append(buffer, result.ptr);
}

// A percentage cut to a whole number toward zero, as the short spoken text says it.
inline void appendTruncated(std::string& out, double value) {
    const double whole = std::trunc(value);
    if (std::fabs(whole) < 9.0e18) {
        appendInt(out, static_cast<long long>(whole));
        return;
    }
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, whole, std::chars_format::fixed, 0);
    out.append(buffer, result.ptr);
}

// "{value} ({percent}%)", the number with its share of `maximum` in "%.2f".
inline void appendValuePercent(std::string& out, long long value, double maximum) {
    appendInt(out, value);
    out += " (";
    appendFixed2(out, percentOf(static_cast<double>(value), maximum));
    out += "%)";
}

} // namespace umbrascope::text
