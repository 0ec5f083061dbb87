#include "breakdown/ValueText.hpp"

#include <algorithm>
#include <cstdio>

namespace umbrascope {

namespace {

// snprintf reports the length it wanted; never read past what it wrote.
template <std::size_t N>
std::string written(const char (&text)[N], int length) {
    if (length < 0) return {};
    return std::string(text, std::min(static_cast<std::size_t>(length), N - 1));
}

} // namespace

std::string fixed2(double value) {
    char text[64];
    return written(text, std::snprintf(text, sizeof text, "%.2f", value));
}

std::string valueOf127(std::uint32_t value) {
    return std::to_string(value) + " (" + fixed2(value / 127.0 * 100.0) + "%)";
}

std::string valueOf32Bits(std::uint32_t value) {
    return std::to_string(value) + " (" + fixed2(value / 4294967295.0 * 100.0) + "%)";
}

std::string percentOf16Bits(std::uint32_t value) {
    return fixed2(value / 65535.0 * 100.0) + "%";
}

std::string hexText(std::uint32_t value, int minDigits) {
    char text[16];
    return written(text, std::snprintf(text, sizeof text, "%0*X", minDigits, value));
}

} // namespace umbrascope
