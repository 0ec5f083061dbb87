#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace umbrascope {

// One step through UTF-8 text: a well-formed sequence with its code point, or the maximal
// ill-formed subsequence at that place (at least one byte), which a reader replaces by one U+FFFD
// or escapes byte by byte. Overlong forms, surrogates and code points above U+10FFFF count as
// ill-formed.
struct UTF8Sequence {
    std::size_t length;
    bool valid;
    char32_t codePoint; // 0 when not valid
};
UTF8Sequence nextUTF8Sequence(std::string_view text, std::size_t at);

// The bytes as UTF-8 text, each maximal ill-formed subsequence replaced by one U+FFFD, so the
// result is always valid UTF-8 whatever a device sends. Zero bytes are kept.
std::string decodeUTF8Replacing(std::span<const std::uint8_t> bytes);

inline constexpr std::string_view replacementCharacter = "\xEF\xBF\xBD";

bool isValidUTF8(std::string_view text);

} // namespace umbrascope
