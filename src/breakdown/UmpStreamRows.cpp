#include <array>
#include <string>
#include <string_view>

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/TableText.hpp"
#include "breakdown/ValueText.hpp"
#include "core/Hex.hpp"
#include "model/fields/UmpStreamFields.hpp"

namespace umbrascope {
namespace {

// Indexed by the 10-bit status; empty entries and statuses past the end are unrecognized.
// clang-format off
constexpr std::array<std::string_view, 0x22> statusNames{
    "Endpoint Discovery request",                // 0x000
    "Endpoint Info Notification",                // 0x001
    "Device Identity Notification",              // 0x002
    "Endpoint Name Notification",                // 0x003
    "Product Instance ID Notification",          // 0x004
    "Stream Configuration Request/Notification", // 0x005
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {},      // 0x006 to 0x00F
    "Function Block Discovery request",          // 0x010
    "Function Block Info Notification",          // 0x011
    "Function Block Name Notification",          // 0x012
    {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, {}, // 0x013 to 0x01F
    "Start of Clip",                             // 0x020
    "End of Clip",                               // 0x021
};
// clang-format on

// A UMP Stream packet is four words; anything past them is not part of it.
constexpr std::size_t packetWords = 4;

} // namespace

std::vector<FieldRow> umpStreamRows(std::span<const std::uint32_t> words) {
    if (words.empty()) return {};
    const std::uint32_t w0 = words[0];
    const std::uint16_t status = ump::stream::status(w0);
    std::vector<FieldRow> rows;
    rows.reserve(packetWords + 1);
    // The format bits have no row of their own: they sit inside the first row's digits.
    rows.push_back(FieldRow::withHex(
        hexDigits(w0, 0, 4),
        "Message Type = F, UMP Stream Message; Status = 0x" + hex::text(status, 3) + " (" +
            std::string(tableText(statusNames, status, "Unrecognized")) + ")"));
    rows.push_back(FieldRow::withHex(hexDigits(w0, 4, 8), "Data"));
    for (std::size_t k = 1; k < words.size() && k < packetWords; ++k)
        rows.push_back(
            FieldRow::withHex(hexDigits(words[k], 0, 8), "Data Word " + std::to_string(k)));
    return rows;
}

} // namespace umbrascope
