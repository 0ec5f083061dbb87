#pragma once

#include <cstdint>
#include <string>

// Number texts shared by the breakdown labels.
namespace umbrascope {

// "%.2f".
std::string fixed2(double value);
// "64 (50.39%)": a 7-bit value and its share of 127.
std::string valueOf127(std::uint32_t value);
// "2147483648 (50.00%)": a 32-bit value and its share of 0xFFFFFFFF.
std::string valueOf32Bits(std::uint32_t value);
// "50.00%": only the share of 0xFFFF.
std::string percentOf16Bits(std::uint32_t value);

} // namespace umbrascope
