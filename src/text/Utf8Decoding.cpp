#include "text/Utf8Decoding.hpp"

namespace umbrascope {
namespace {

struct ByteRange {
    std::uint8_t low;
    std::uint8_t high;
};

struct LeadRule {
    int continuations; // bytes after the lead byte
    ByteRange second;  // allowed range of the byte after the lead; later ones are 80..BF
};

// Well-formed sequences of the UTF-8 definition, by lead byte. continuations = -1: never a lead.
constexpr LeadRule leadRule(std::uint8_t lead) {
    if (lead <= 0x7F) return {0, {0, 0}};
    if (lead >= 0xC2 && lead <= 0xDF) return {1, {0x80, 0xBF}};
    if (lead == 0xE0) return {2, {0xA0, 0xBF}};
    if (lead == 0xED) return {2, {0x80, 0x9F}};
    if (lead >= 0xE1 && lead <= 0xEF) return {2, {0x80, 0xBF}};
    if (lead == 0xF0) return {3, {0x90, 0xBF}};
    if (lead >= 0xF1 && lead <= 0xF3) return {3, {0x80, 0xBF}};
    if (lead == 0xF4) return {3, {0x80, 0x8F}};
    return {-1, {0, 0}};
}

struct Sequence {
    std::size_t length; // bytes consumed, at least 1
    bool valid;
};

// The sequence at bytes[i]: a whole valid one, or the maximal ill-formed subpart to replace.
Sequence nextSequence(std::span<const std::uint8_t> bytes, std::size_t i) {
    const LeadRule rule = leadRule(bytes[i]);
    if (rule.continuations < 0) return {1, false};
    std::size_t length = 1;
    for (int k = 0; k < rule.continuations; ++k) {
        if (i + length >= bytes.size()) return {length, false};
        const std::uint8_t next = bytes[i + length];
        const ByteRange range = k == 0 ? rule.second : ByteRange{0x80, 0xBF};
        if (next < range.low || next > range.high) return {length, false};
        ++length;
    }
    return {length, true};
}

} // namespace

std::string decodeUtf8Replacing(std::span<const std::uint8_t> bytes) {
    static constexpr std::string_view replacement = "\xEF\xBF\xBD";
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Sequence sequence = nextSequence(bytes, i);
        if (sequence.valid)
            text.append(reinterpret_cast<const char*>(bytes.data() + i), sequence.length);
        else
            text.append(replacement);
        i += sequence.length;
    }
    return text;
}

bool isValidUtf8(std::string_view text) {
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Sequence sequence = nextSequence(bytes, i);
        if (!sequence.valid) return false;
        i += sequence.length;
    }
    return true;
}

} // namespace umbrascope
