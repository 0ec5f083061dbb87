#pragma once

#include <cstdint>

#include "model/Fields.hpp"

// Fields of UMP Stream messages. They carry no group: bits 27-26 are the format.
namespace umbrascope::ump::stream {

constexpr std::uint8_t format(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 27, 26));
}
// 10-bit status, bits 25-16.
constexpr std::uint16_t status(std::uint32_t w0) {
    return static_cast<std::uint16_t>(bits(w0, 25, 16));
}
constexpr std::uint16_t data(std::uint32_t w0) {
    return low16(w0);
}

static_assert(status(0xF4030000u) == 0x003 && format(0xF4030000u) == 1);
static_assert(status(0xF3FF0000u) == 0x3FF && format(0xF3FF0000u) == 0);
static_assert(data(0xF0000101u) == 0x0101);

} // namespace umbrascope::ump::stream
