#pragma once

#include <array>
#include <cstdint>

// Value resolution changes between MIDI 1.0 and MIDI 2.0 as the UMP standard's default
// translation defines them: up by min-centre-max bit repeat (the minimum and the centre stay where
// they are, the maximum reaches the top), down by plain shifting.
namespace umbrascope {

constexpr std::uint32_t scaleUp(std::uint32_t value, unsigned sourceBits, unsigned targetBits) {
    const unsigned scaleBits = targetBits - sourceBits;
    std::uint32_t shifted = value << scaleBits;
    const std::uint32_t centre = 1u << (sourceBits - 1);
    if (value <= centre) return shifted;
    const unsigned repeatBits = sourceBits - 1;
    std::uint32_t repeat = value & ((1u << repeatBits) - 1u);
    if (scaleBits > repeatBits)
        repeat <<= scaleBits - repeatBits;
    else
        repeat >>= repeatBits - scaleBits;
    while (repeat != 0) {
        shifted |= repeat;
        repeat >>= repeatBits;
    }
    return shifted;
}

namespace detail {
template <unsigned TargetBits>
constexpr std::array<std::uint32_t, 128> sevenBitTable() {
    std::array<std::uint32_t, 128> table{};
    for (std::uint32_t v = 0; v < 128; ++v)
        table[v] = scaleUp(v, 7, TargetBits);
    return table;
}
inline constexpr auto upscale7to16 = sevenBitTable<16>();
inline constexpr auto upscale7to32 = sevenBitTable<32>();
} // namespace detail

constexpr std::uint16_t scale7to16(std::uint8_t v) {
    return static_cast<std::uint16_t>(detail::upscale7to16[v & 0x7Fu]);
}
constexpr std::uint32_t scale7to32(std::uint8_t v) {
    return detail::upscale7to32[v & 0x7Fu];
}
constexpr std::uint32_t scale14to32(std::uint16_t v) {
    return scaleUp(v & 0x3FFFu, 14, 32);
}

constexpr std::uint8_t scale16to7(std::uint16_t v) {
    return static_cast<std::uint8_t>(v >> 9);
}
constexpr std::uint8_t scale32to7(std::uint32_t v) {
    return static_cast<std::uint8_t>(v >> 25);
}
constexpr std::uint16_t scale32to14(std::uint32_t v) {
    return static_cast<std::uint16_t>(v >> 18);
}

static_assert(scale7to16(64) == 0x8000 && scale7to16(65) == 0x8208 && scale7to16(127) == 0xFFFF);
static_assert(scale7to32(100) == 0xC9249249u);
static_assert(scale14to32(8192) == 0x80000000u && scale14to32(16383) == 0xFFFFFFFFu);

} // namespace umbrascope
