#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace umbrascope {

// The bytes as UTF-8 text, each maximal ill-formed subsequence replaced by one U+FFFD, so the
// result is always valid UTF-8 whatever a device sends. Overlong forms, surrogates and code points
// above U+10FFFF count as ill-formed. Zero bytes are kept.
std::string decodeUtf8Replacing(std::span<const std::uint8_t> bytes);

bool isValidUtf8(std::string_view text);

} // namespace umbrascope
