#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace umbrascope::cli {

// A UMP word written on the command line or standard input: 1 to 8 hex digits, optionally after
// "0x". Anything else is not a word.
std::optional<std::uint32_t> parseWordArgument(std::string_view token);

inline constexpr std::string_view wordExpectation = "expected a word of 1 to 8 hex digits";

} // namespace umbrascope::cli
