#pragma once

#include <cstdint>

#include "breakdown/ProfileAttributes.hpp"

namespace umbrascope {

// The attribute of a MIDI 2.0 Note On / Note Off: attribute type 0 to 255, data 0 to 65535.
AttributeFields attributeFields(std::uint8_t attributeType, std::uint16_t data);

} // namespace umbrascope
