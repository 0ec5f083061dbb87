#pragma once

#include <cstdint>

// The status and opcode values that code tests for by name. Tables indexed by a status keep their
// own order and need none of these.
namespace umbrascope::ump {

// Channel voice opcodes, bits 23-20 of word 0 (MIDI 1.0 uses 0x8 to 0xE).
namespace opcodes {
inline constexpr std::uint8_t registeredPerNoteController = 0x0;
inline constexpr std::uint8_t assignablePerNoteController = 0x1;
inline constexpr std::uint8_t registeredController = 0x2;
inline constexpr std::uint8_t assignableController = 0x3;
inline constexpr std::uint8_t relativeRegisteredController = 0x4;
inline constexpr std::uint8_t relativeAssignableController = 0x5;
inline constexpr std::uint8_t perNotePitchBend = 0x6;
inline constexpr std::uint8_t noteOff = 0x8;
inline constexpr std::uint8_t noteOn = 0x9;
inline constexpr std::uint8_t polyPressure = 0xA;
inline constexpr std::uint8_t controlChange = 0xB;
inline constexpr std::uint8_t programChange = 0xC;
inline constexpr std::uint8_t channelPressure = 0xD;
inline constexpr std::uint8_t pitchBend = 0xE;
inline constexpr std::uint8_t perNoteManagement = 0xF;
} // namespace opcodes

// System real-time and common status bytes.
namespace systemStatuses {
inline constexpr std::uint8_t first = 0xF0;
inline constexpr std::uint8_t sysExStart = 0xF0;
inline constexpr std::uint8_t timeCodeQuarterFrame = 0xF1;
inline constexpr std::uint8_t songPositionPointer = 0xF2;
inline constexpr std::uint8_t songSelect = 0xF3;
inline constexpr std::uint8_t tuneRequest = 0xF6;
inline constexpr std::uint8_t sysExEnd = 0xF7;
inline constexpr std::uint8_t timingClock = 0xF8;
inline constexpr std::uint8_t start = 0xFA;
inline constexpr std::uint8_t continue_ = 0xFB;
inline constexpr std::uint8_t stop = 0xFC;
inline constexpr std::uint8_t activeSensing = 0xFE;
inline constexpr std::uint8_t systemReset = 0xFF;
} // namespace systemStatuses

// Controller numbers of control change messages.
namespace controllers {
inline constexpr std::uint8_t bankSelectMsb = 0;
inline constexpr std::uint8_t modulation = 1;
inline constexpr std::uint8_t dataEntryMsb = 6;
inline constexpr std::uint8_t volume = 7;
inline constexpr std::uint8_t pan = 10;
inline constexpr std::uint8_t expression = 11;
inline constexpr std::uint8_t bankSelectLsb = 32;
inline constexpr std::uint8_t dataEntryLsb = 38;
inline constexpr std::uint8_t sustainPedal = 64;
inline constexpr std::uint8_t reverbDepth = 91;
inline constexpr std::uint8_t chorusDepth = 93;
inline constexpr std::uint8_t nrpnLsb = 98;
inline constexpr std::uint8_t nrpnMsb = 99;
inline constexpr std::uint8_t rpnLsb = 100;
inline constexpr std::uint8_t rpnMsb = 101;
inline constexpr std::uint8_t resetAllControllers = 121;
inline constexpr std::uint8_t allNotesOff = 123;
} // namespace controllers

// Flex Data status banks.
namespace flexBanks {
inline constexpr std::uint8_t setupAndPerformance = 0x00;
inline constexpr std::uint8_t metadataText = 0x01;
inline constexpr std::uint8_t performanceText = 0x02;
} // namespace flexBanks

// The ranges of channel voice values: largest value and centre of each width.
namespace ranges {
inline constexpr std::uint32_t max7 = 0x7F;
inline constexpr std::uint32_t centre7 = 0x40;
inline constexpr std::uint32_t max14 = 0x3FFF;
inline constexpr std::uint32_t centre14 = 0x2000;
inline constexpr std::uint32_t max16 = 0xFFFF;
inline constexpr std::uint32_t max32 = 0xFFFFFFFF;
inline constexpr std::uint32_t centre32 = 0x80000000;
} // namespace ranges

} // namespace umbrascope::ump
