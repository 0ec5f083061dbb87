#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Value names of the Flex Data setup messages. A value outside a table is "Reserved".
namespace umbrascope::flexnames {

std::string_view chordTonicName(std::uint8_t note);
std::string_view bassNoteName(std::uint8_t note);
std::string_view keyTonicName(std::uint8_t note);
std::string_view alterationTypeName(std::uint8_t type);
std::string_view chordTypeName(std::uint8_t type);

// "Natural", "1 Sharp", "3 Flats", "Unknown/Non-Standard" for -8.
std::string sharpsFlatsText(int sharpsFlats);

} // namespace umbrascope::flexnames
