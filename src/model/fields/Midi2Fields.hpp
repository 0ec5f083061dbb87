#pragma once

#include <cstdint>

#include "model/Fields.hpp"

// Fields of the data word (word 1) of MIDI 2.0 channel voice messages.
namespace umbrascope::ump::midi2 {

constexpr std::uint16_t velocity(std::uint32_t w1) {
    return high16(w1);
}
// Program Change: bank valid flag in word 0, program and bank in word 1.
constexpr bool bankValid(std::uint32_t w0) {
    return bit(w0, 0);
}
constexpr std::uint8_t program(std::uint32_t w1) {
    return static_cast<std::uint8_t>(bits(w1, 30, 24));
}
constexpr std::uint8_t bankMsb(std::uint32_t w1) {
    return static_cast<std::uint8_t>(bits(w1, 14, 8));
}
constexpr std::uint8_t bankLsb(std::uint32_t w1) {
    return static_cast<std::uint8_t>(bits(w1, 6, 0));
}
constexpr std::int32_t relativeValue(std::uint32_t w1) {
    return static_cast<std::int32_t>(w1);
}

static_assert(velocity(0xFFFF0000u) == 0xFFFF);
static_assert(bankValid(0x40C00001u) && !bankValid(0x40C00000u));
static_assert(program(0x05000102u) == 5 && bankMsb(0x05000102u) == 1 && bankLsb(0x05000102u) == 2);
static_assert(program(0xFF000000u) == 0x7F);
static_assert(relativeValue(0xFFFFFFFFu) == -1);

} // namespace umbrascope::ump::midi2
