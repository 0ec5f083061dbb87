#pragma once

#include <array>
#include <string_view>

namespace umbrascope::names {

struct UtilityStatusNames {
    std::string_view label;       // the breakdown's status row
    std::string_view description; // followed by ": " and the 16-bit timestamp when it has one
    bool withTimestamp;
};

// Indexed by status; statuses past the end are unrecognized.
inline constexpr std::array<UtilityStatusNames, 5> utilityStatuses{{
    {"No Operation (NOOP)", "No Operation (NOOP)", false},
    {"JR Clock", "JR Clock timestamp", true},
    {"JR Timestamp", "JR Timestamp", true},
    {"Delta Clockstamp Ticks Per Quarter Note", "Delta Clockstamp Ticks Per Quarter Note", false},
    {"Delta Clockstamp", "Delta Clockstamp", false},
}};

} // namespace umbrascope::names
