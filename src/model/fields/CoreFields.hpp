#pragma once

#include <cstdint>

#include "model/Fields.hpp"

// Fields of the one-word families (utility, system, MIDI 1.0 channel voice) that the shared
// word-0 helpers do not already name.
namespace umbrascope::ump {

// Utility: the low 20 bits, for every status (the UMP standard uses only 16 of them for the
// timestamps, but the breakdown shows the whole remainder of the word).
constexpr std::uint32_t utilityValue(std::uint32_t w0) {
    return bits(w0, 19, 0);
}

// The 14-bit value of MIDI 1.0 Pitch Bend and Song Position Pointer: data 1 is the fine (low)
// half, data 2 the coarse (high) half; 0 to 16383.
constexpr std::uint16_t data14(std::uint32_t w0) {
    return static_cast<std::uint16_t>(data1(w0) | (data2(w0) << 7));
}

static_assert(utilityValue(0x002FFFFFu) == 0xFFFFF);
static_assert(utilityValue(0x0F7ABCDEu) == 0xABCDE);
static_assert(data14(0x20E00040u) == 8192);
static_assert(data14(0x20E07F7Fu) == 16383);
static_assert(data14(0x20E0FFFFu) == 16383);
static_assert(data14(0x10F21002u) == 272);

} // namespace umbrascope::ump
