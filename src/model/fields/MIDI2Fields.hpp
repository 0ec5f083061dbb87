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
static_assert(program(0xFF000000u) == 0x7F && bankMsb(0x00008000u) == 0 &&
              bankLsb(0x00000080u) == 0);
static_assert(relativeValue(0xFFFFFFFFu) == -1);

// Note On / Note Off attribute: its type is byte 4 of word 0, its data the low half of word 1.
constexpr std::uint8_t attributeType(std::uint32_t w0) {
    return byte4(w0);
}
constexpr std::uint16_t attributeData(std::uint32_t w1) {
    return low16(w1);
}
// Per-Note Management.
constexpr std::uint8_t optionFlags(std::uint32_t w0) {
    return byte4(w0);
}

static_assert(attributeType(0x40903C03u) == 3 && attributeData(0x80001234u) == 0x1234);
static_assert(optionFlags(0x40F03C03u) == 3);

} // namespace umbrascope::ump::midi2

// The Profile attribute formats, read from the 16 attribute data bits, most significant first.
namespace umbrascope::ump::profile {

// Orchestral Articulation (attribute types 16 to 23).
constexpr std::uint8_t articulationSubClass(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 15, 12));
}
constexpr std::uint8_t articulationVariation(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 11, 8));
}
constexpr std::uint8_t articulationDirection(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 7, 6));
}
constexpr std::uint8_t articulationReserved(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 5, 4));
}
constexpr std::uint8_t articulationResetRoundRobin(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 3, 3));
}
constexpr std::uint8_t articulationString(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 2, 0));
}

// Drums default note model (attribute type 32).
constexpr std::uint8_t drumsGesture(std::uint16_t d) {
    return static_cast<std::uint8_t>(bits(d, 15, 12));
}
constexpr std::uint16_t drumsDistance(std::uint16_t d) {
    return static_cast<std::uint16_t>(bits(d, 11, 0));
}

static_assert(articulationSubClass(0xE0C9) == 14 && articulationVariation(0xE0C9) == 0 &&
              articulationDirection(0xE0C9) == 3 && articulationReserved(0xE0C9) == 0 &&
              articulationResetRoundRobin(0xE0C9) == 1 && articulationString(0xE0C9) == 1);
static_assert(articulationReserved(0x0030) == 3 && articulationVariation(0x0A00) == 10);
static_assert(drumsGesture(0x1800) == 1 && drumsDistance(0x1800) == 2048);

} // namespace umbrascope::ump::profile
