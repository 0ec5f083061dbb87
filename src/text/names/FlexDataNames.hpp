#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/StatusCodes.hpp"
#include "text/names/TableText.hpp"

namespace umbrascope::names {

struct FlexFormNames {
    std::string_view label;       // breakdown
    std::string_view description; // description
};

// Indexed by form.
inline constexpr std::array<FlexFormNames, 4> flexForms{{
    {"Complete", "Complete Flex Data"},
    {"Start", "Start of Flex Data"},
    {"Continuation", "Continuation of Flex Data"},
    {"End", "End of Flex Data"},
}};

// Setup and performance events (bank 0x00), indexed by status; empty: no name of its own.
inline constexpr std::array<std::string_view, 7> flexSetupStatuses{
    "Set Tempo", "Set Time Signature", "Set Metronome",  "",
    "",          "Set Key Signature",  "Set Chord Name",
};

// Text events of banks 0x01 and 0x02, indexed by status.
inline constexpr std::array<std::string_view, 13> metadataTextEvents{
    "Unknown Metadata Text Event",
    "Project Name",
    "Composition (Song) Name",
    "MIDI Clip Name",
    "Copyright Notice",
    "Composer Name",
    "Lyricist Name",
    "Arranger Name",
    "Publisher Name",
    "Primary Performer Name",
    "Accompanying Performer Name",
    "Recording/Concert Date",
    "Recording/Concert Location",
};
inline constexpr std::array<std::string_view, 5> performanceTextEvents{
    "Unknown Performance Text Event", "Lyrics", "Lyrics Language", "Ruby", "Ruby Language",
};

} // namespace umbrascope::names

namespace umbrascope {

// The name of a Flex Data text event, or nothing outside the two text banks' tables.
constexpr std::optional<std::string_view> flexTextEventName(std::uint8_t bank,
                                                            std::uint8_t status) {
    if (bank == ump::flexBanks::metadataText && status < names::metadataTextEvents.size())
        return names::metadataTextEvents[status];
    if (bank == ump::flexBanks::performanceText && status < names::performanceTextEvents.size())
        return names::performanceTextEvents[status];
    return std::nullopt;
}

} // namespace umbrascope
