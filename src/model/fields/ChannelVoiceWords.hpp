#pragma once

#include <cstdint>

#include "model/Fields.hpp"

// Building the words that translation between MIDI 1.0 and MIDI 2.0 makes: system and MIDI 1.0
// channel voice words, MIDI 2.0 channel voice words and SysEx7 packets. Reading their fields is
// model/Fields.hpp's and model/fields/Midi2Fields.hpp's.
namespace umbrascope::ump::cv {

// Type 1 (system) and type 2 (MIDI 1.0 channel voice) words: status byte and two 7-bit bytes.
constexpr std::uint32_t byteWord(std::uint8_t type, std::uint8_t group, std::uint8_t status,
                                 std::uint8_t d1, std::uint8_t d2) {
    return (std::uint32_t{type} & 0xFu) << 28 | (std::uint32_t{group} & 0xFu) << 24 |
           std::uint32_t{status} << 16 | (std::uint32_t{d1} & 0x7Fu) << 8 |
           (std::uint32_t{d2} & 0x7Fu);
}
constexpr std::uint32_t systemWord(std::uint8_t group, std::uint8_t status, std::uint8_t d1 = 0,
                                   std::uint8_t d2 = 0) {
    return byteWord(0x1, group, status, d1, d2);
}
constexpr std::uint32_t midi1Word(std::uint8_t group, std::uint8_t opcode, std::uint8_t channel,
                                  std::uint8_t d1, std::uint8_t d2 = 0) {
    return byteWord(0x2, group, static_cast<std::uint8_t>((opcode & 0xFu) << 4 | (channel & 0xFu)),
                    d1, d2);
}

// MIDI 2.0 channel voice word 0: opcode, channel and the two bytes after them (note or bank or
// controller; attribute type or index or option flags).
constexpr std::uint32_t midi2Word0(std::uint8_t group, std::uint8_t opcode, std::uint8_t channel,
                                   std::uint8_t b3, std::uint8_t b4) {
    return 0x40000000u | (std::uint32_t{group} & 0xFu) << 24 |
           (std::uint32_t{opcode} & 0xFu) << 20 | (std::uint32_t{channel} & 0xFu) << 16 |
           std::uint32_t{b3} << 8 | std::uint32_t{b4};
}

// Note on / off word 1: velocity in the top half, attribute data in the bottom half.
constexpr std::uint32_t noteWord1(std::uint16_t velocity, std::uint16_t attribute = 0) {
    return std::uint32_t{velocity} << 16 | attribute;
}

// Program change word 1: the program in bits 30-24 and the bank in bits 14-8 (MSB) and 6-0
// (LSB); the bank valid flag is bit 0 of word 0.
constexpr std::uint32_t programWord1(std::uint8_t program, std::uint8_t bankMsb,
                                     std::uint8_t bankLsb) {
    return (std::uint32_t{program} & 0x7Fu) << 24 | (std::uint32_t{bankMsb} & 0x7Fu) << 8 |
           (std::uint32_t{bankLsb} & 0x7Fu);
}

// SysEx7 (type 3): status (complete, start, continue, end), byte count and up to six bytes.
enum class SysExStatus : std::uint8_t { complete = 0, start = 1, continuePacket = 2, end = 3 };
constexpr std::uint32_t sysExWord0(std::uint8_t group, SysExStatus status, std::uint8_t count,
                                   std::uint8_t b1, std::uint8_t b2) {
    return 0x30000000u | (std::uint32_t{group} & 0xFu) << 24 |
           std::uint32_t{static_cast<std::uint8_t>(status)} << 20 |
           (std::uint32_t{count} & 0xFu) << 16 | std::uint32_t{b1} << 8 | b2;
}
constexpr std::uint32_t sysExWord1(std::uint8_t b3, std::uint8_t b4, std::uint8_t b5,
                                   std::uint8_t b6) {
    return std::uint32_t{b3} << 24 | std::uint32_t{b4} << 16 | std::uint32_t{b5} << 8 | b6;
}

static_assert(systemWord(0, 0xF2, 0x01, 0x02) == 0x10F20102u);
static_assert(midi1Word(3, 0x9, 0x2, 0x3C, 0x64) == 0x23923C64u);
static_assert(midi2Word0(0, 0x9, 0x0, 0x3C, 0x00) == 0x40903C00u);
static_assert(noteWord1(0xC924) == 0xC9240000u);
static_assert(programWord1(5, 1, 2) == 0x05000102u && programWord1(0xFF, 0, 0) == 0x7F000000u);
static_assert(sysExWord0(0, SysExStatus::start, 6, 0x7E, 0x7F) == 0x30167E7Fu);
static_assert(sysExWord1(1, 2, 3, 4) == 0x01020304u);

} // namespace umbrascope::ump::cv
