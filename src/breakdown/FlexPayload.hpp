#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "breakdown/FieldRow.hpp"
#include "model/fields/FlexDataFields.hpp"

namespace umbrascope {

// A whole four-word Flex Data packet: the decoders run only on complete packets, so every payload
// position they name is present.
using FlexPacket = std::span<const std::uint32_t, 4>;

inline std::uint8_t valueAt(FlexPacket words, ump::flex::BytePosition position) {
    return position.of(words[position.word]);
}

inline std::uint8_t valueAt(FlexPacket words, ump::flex::NibblePosition position) {
    return position.of(words[position.word]);
}

// The two digits of a byte field, as its word's "%08X" rendering shows them.
inline std::string hexAt(FlexPacket words, ump::flex::BytePosition position) {
    return hexDigits(words[position.word], position.firstDigit(), position.firstDigit() + 2);
}

} // namespace umbrascope
