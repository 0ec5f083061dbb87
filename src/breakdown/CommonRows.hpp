#pragma once

#include <cstdint>
#include <string>

#include "breakdown/FieldRow.hpp"

// Rows that several builders share, each given the hex digits of its own span.
namespace umbrascope {

// "Group {g+1}" from bits 27-24 of word 0.
FieldRow groupRow(std::uint32_t w0, std::string hex);
// "Channel {c+1}" from bits 19-16 of word 0.
FieldRow channelRow(std::uint32_t w0, std::string hex);
// "Status = 0x{digit} (unrecognized)", the digit being the row's own.
FieldRow unrecognizedStatusRow(std::string hex);

} // namespace umbrascope
