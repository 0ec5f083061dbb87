#include <string>
#include <string_view>

#include "breakdown/BreakdownRows.hpp"
#include "core/Hex.hpp"
#include "model/fields/UMPStreamFields.hpp"
#include "text/names/StreamNames.hpp"

namespace umbrascope {
namespace {

// A UMP Stream packet is four words; anything past them is not part of it.
constexpr std::size_t packetWords = 4;

} // namespace

std::vector<FieldRow> umpStreamRows(std::span<const std::uint32_t> words) {
    if (words.empty()) return {};
    const std::uint32_t w0 = words[0];
    const std::uint16_t status = ump::stream::status(w0);
    const std::string_view name = names::streamStatusName(status);
    std::vector<FieldRow> rows;
    rows.reserve(packetWords + 1);
    // The format bits have no row of their own: they sit inside the first row's digits.
    rows.push_back(FieldRow::withHex(hexDigits(w0, 0, 4),
                                     "Message Type = F, UMP Stream Message; Status = 0x" +
                                         hex::text(status, 3) + " (" +
                                         std::string(name.empty() ? "Unrecognized" : name) + ")"));
    rows.push_back(FieldRow::withHex(hexDigits(w0, 4, 8), "Data"));
    for (std::size_t k = 1; k < words.size() && k < packetWords; ++k)
        rows.push_back(
            FieldRow::withHex(hexDigits(words[k], 0, 8), "Data Word " + std::to_string(k)));
    return rows;
}

} // namespace umbrascope
