#pragma once

#include <cstdint>

// Field extraction from packet words. Every bit field that the texts and breakdowns read is named
// here once; builders call these instead of shifting words themselves. Bit 31 is the most
// significant bit of a word. Family-specific fields live beside these in model/fields/.
namespace umbrascope::ump {

// Bits hi..lo (inclusive) of a word, right-aligned.
constexpr std::uint32_t bits(std::uint32_t word, unsigned hi, unsigned lo) {
    const unsigned width = hi - lo + 1;
    const std::uint32_t mask = width >= 32 ? 0xFFFFFFFFu : ((1u << width) - 1u);
    return (word >> lo) & mask;
}

constexpr bool bit(std::uint32_t word, unsigned n) {
    return ((word >> n) & 1u) != 0;
}

// Word 0 conventions shared by every message type.
constexpr std::uint8_t messageTypeNibble(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 31, 28));
}
constexpr std::uint8_t group(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 27, 24));
}
// Opcode of channel voice messages, status of utility, SysEx and Mixed Data Set messages.
constexpr std::uint8_t opcode(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 23, 20));
}
constexpr std::uint8_t channel(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 19, 16));
}
// Status byte of system real-time and common messages (0xF1 to 0xFF).
constexpr std::uint8_t systemStatus(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 23, 16));
}

// The two bytes after the status byte, whole (MIDI 2.0: note, bank or controller; index).
constexpr std::uint8_t byte3(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 15, 8));
}
constexpr std::uint8_t byte4(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 7, 0));
}

// The two 7-bit data bytes of MIDI 1.0 channel voice and system common messages.
constexpr std::uint8_t data1(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 14, 8));
}
constexpr std::uint8_t data2(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 6, 0));
}

constexpr std::uint16_t low16(std::uint32_t w) {
    return static_cast<std::uint16_t>(bits(w, 15, 0));
}
constexpr std::uint16_t high16(std::uint32_t w) {
    return static_cast<std::uint16_t>(bits(w, 31, 16));
}

static_assert(messageTypeNibble(0x40903C00u) == 0x4);
static_assert(group(0x2F903C00u) == 0xF);
static_assert(opcode(0x20903C64u) == 0x9);
static_assert(channel(0x20B40778u) == 0x4);
static_assert(systemStatus(0x10F80000u) == 0xF8);
static_assert(data1(0x10F20102u) == 1 && data2(0x10F20102u) == 2);
static_assert(byte3(0x40F0C800u) == 0xC8 && byte4(0x40C00001u) == 0x01);
static_assert(bits(0xFFFFFFFFu, 31, 0) == 0xFFFFFFFFu);

} // namespace umbrascope::ump
