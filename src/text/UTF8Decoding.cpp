#include "text/UTF8Decoding.hpp"

namespace umbrascope {
namespace {

struct ByteRange {
    std::uint8_t low;
    std::uint8_t high;
};

struct LeadRule {
    int continuations; // bytes after the lead byte
    ByteRange second;  // allowed range of the byte after the lead; later ones are 80..BF
    std::uint8_t payloadMask;
};

// Well-formed sequences of the UTF-8 definition, by lead byte. continuations = -1: never a lead.
constexpr LeadRule leadRule(std::uint8_t lead) {
    if (lead <= 0x7F) return {0, {0, 0}, 0x7F};
    if (lead >= 0xC2 && lead <= 0xDF) return {1, {0x80, 0xBF}, 0x1F};
    if (lead == 0xE0) return {2, {0xA0, 0xBF}, 0x0F};
    if (lead == 0xED) return {2, {0x80, 0x9F}, 0x0F};
    if (lead >= 0xE1 && lead <= 0xEF) return {2, {0x80, 0xBF}, 0x0F};
    if (lead == 0xF0) return {3, {0x90, 0xBF}, 0x07};
    if (lead >= 0xF1 && lead <= 0xF3) return {3, {0x80, 0xBF}, 0x07};
    if (lead == 0xF4) return {3, {0x80, 0x8F}, 0x07};
    return {-1, {0, 0}, 0};
}

std::uint8_t byteAt(std::string_view text, std::size_t i) {
    return static_cast<std::uint8_t>(text[i]);
}

} // namespace

UTF8Sequence nextUTF8Sequence(std::string_view text, std::size_t at) {
    const LeadRule rule = leadRule(byteAt(text, at));
    if (rule.continuations < 0) return {1, false, 0};
    char32_t codePoint = static_cast<char32_t>(byteAt(text, at) & rule.payloadMask);
    std::size_t length = 1;
    for (int k = 0; k < rule.continuations; ++k) {
        if (at + length >= text.size()) return {length, false, 0};
        const std::uint8_t next = byteAt(text, at + length);
        const ByteRange range = k == 0 ? rule.second : ByteRange{0x80, 0xBF};
        if (next < range.low || next > range.high) return {length, false, 0};
        codePoint = codePoint << 6 | static_cast<char32_t>(next & 0x3Fu);
        ++length;
    }
    return {length, true, codePoint};
}

std::string decodeUTF8Replacing(std::span<const std::uint8_t> bytes) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    std::string decoded;
    decoded.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const UTF8Sequence sequence = nextUTF8Sequence(text, i);
        if (sequence.valid)
            decoded.append(text.substr(i, sequence.length));
        else
            decoded.append(replacementCharacter);
        i += sequence.length;
    }
    return decoded;
}

bool isValidUTF8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const UTF8Sequence sequence = nextUTF8Sequence(text, i);
        if (!sequence.valid) return false;
        i += sequence.length;
    }
    return true;
}

} // namespace umbrascope
