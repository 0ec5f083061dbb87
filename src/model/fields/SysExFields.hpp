#pragma once

#include <cstdint>

#include "model/Fields.hpp"

// Fields of the data messages: SysEx7 (64-bit), SysEx8 and Mixed Data Set (128-bit).
namespace umbrascope::ump::sysex {

// Status of the chunk (complete, start, continue, end; 8 and 9 are Mixed Data Set chunks).
constexpr std::uint8_t status(std::uint32_t w0) {
    return opcode(w0);
}
// Number of valid data bytes in the packet, 0 to 15.
constexpr std::uint8_t byteCount(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 19, 16));
}
// SysEx8 stream id, the byte after the status byte.
constexpr std::uint8_t streamID(std::uint32_t w0) {
    return byte3(w0);
}

static_assert(status(0x30160000u) == 1 && byteCount(0x30160000u) == 6);
static_assert(status(0x50810000u) == 0x8 && byteCount(0x50810000u) == 1);
static_assert(streamID(0x5001AB00u) == 0xAB);

} // namespace umbrascope::ump::sysex
