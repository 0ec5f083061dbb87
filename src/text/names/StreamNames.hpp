#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace umbrascope::names {

struct StreamStatusName {
    std::uint16_t status;
    std::string_view name;
};

inline constexpr std::array<StreamStatusName, 11> streamStatuses{{
    {0x000, "Endpoint Discovery request"},
    {0x001, "Endpoint Info Notification"},
    {0x002, "Device Identity Notification"},
    {0x003, "Endpoint Name Notification"},
    {0x004, "Product Instance ID Notification"},
    {0x005, "Stream Configuration Request/Notification"},
    {0x010, "Function Block Discovery request"},
    {0x011, "Function Block Info Notification"},
    {0x012, "Function Block Name Notification"},
    {0x020, "Start of Clip"},
    {0x021, "End of Clip"},
}};

// The name of a 10-bit status; empty for an unrecognized one.
constexpr std::string_view streamStatusName(std::uint16_t status) {
    for (const auto& entry : streamStatuses)
        if (entry.status == status) return entry.name;
    return {};
}

} // namespace umbrascope::names
