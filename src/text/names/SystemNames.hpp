#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/StatusCodes.hpp"

namespace umbrascope::names {

// The number a system message's texts end in.
enum class SystemNumber { none, data1, data14 };

struct SystemStatusNames {
    std::string_view name;          // description and breakdown; empty: unrecognized status
    std::string_view spokenShort;   // empty: never spoken
    std::string_view spokenVerbose; // followed by " " and the number
    SystemNumber number;
    std::string_view numberLabel; // in the description only, before the number
};

// Indexed by status - 0xF0; every status below 0xF0 is unrecognized.
inline constexpr std::array<SystemStatusNames, 16> systemStatuses{{
    {},
    {"MIDI Time Code Quarter Frame", "Quarter Frame", "MIDI Time Code Quarter Frame",
     SystemNumber::data1, ""},
    {"Song Position Pointer", "Song Position", "Song Position Pointer", SystemNumber::data14, ""},
    {"Song Select", "Song Select", "Song Select", SystemNumber::data1, "song "},
    {},
    {},
    {"Tune Request", "Tune Request", "Tune Request", SystemNumber::none, ""},
    {},
    {"Timing Clock", "", "", SystemNumber::none, ""},
    {},
    {"Start", "Start", "Start", SystemNumber::none, ""},
    {"Continue", "Continue", "Continue", SystemNumber::none, ""},
    {"Stop", "Stop", "Stop", SystemNumber::none, ""},
    {},
    {"Active Sensing", "", "", SystemNumber::none, ""},
    {"System Reset", "Reset", "Reset", SystemNumber::none, ""},
}};

// The names of a status byte, or nothing for an unrecognized one.
constexpr const SystemStatusNames* systemStatusNames(std::uint8_t status) {
    if (status < ump::systemStatuses::first) return nullptr;
    const SystemStatusNames& entry = systemStatuses[status - ump::systemStatuses::first];
    return entry.name.empty() ? nullptr : &entry;
}

} // namespace umbrascope::names
