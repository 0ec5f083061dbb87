#include <string>
#include <string_view>

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/CommonRows.hpp"
#include "model/fields/SysExFields.hpp"
#include "text/names/DataNames.hpp"
#include "text/names/TableText.hpp"

namespace umbrascope {
namespace {

constexpr std::string_view unrecognized = "Unrecognized";

// Both data families share the layout of word 0; only the type text, the status names and the
// labels of its last two bytes differ.
std::vector<FieldRow> firstWordRows(std::uint32_t w0, std::string_view typeLabel,
                                    std::string_view statusName, std::string_view byte3Label,
                                    std::string_view byte4Label) {
    std::vector<FieldRow> rows;
    rows.reserve(18);
    rows.push_back(FieldRow::withHex(hexDigits(w0, 0, 1), std::string(typeLabel)));
    rows.push_back(groupRow(w0, hexDigits(w0, 1, 2)));
    rows.push_back(FieldRow::withHex(hexDigits(w0, 2, 3), std::string(statusName)));
    rows.push_back(
        FieldRow::withHex(hexDigits(w0, 3, 4),
                          "Number of Data Bytes = " + std::to_string(ump::sysex::byteCount(w0))));
    rows.push_back(FieldRow::withHex(hexDigits(w0, 4, 6), std::string(byte3Label)));
    rows.push_back(FieldRow::withHex(hexDigits(w0, 6, 8), std::string(byte4Label)));
    return rows;
}

} // namespace

std::vector<FieldRow> sysEx7Rows(std::span<const std::uint32_t> words) {
    if (words.empty()) return {};
    const std::uint32_t w0 = words[0];
    auto rows =
        firstWordRows(w0, "Message Type = 3, SysEx7 (7-bit) Message",
                      names::tableText(names::sysEx7Statuses, ump::sysex::status(w0), unrecognized),
                      "Data Byte 1", "Data Byte 2");
    // Words after the second are not part of a 64-bit packet.
    if (words.size() > 1) {
        for (int byte = 0; byte < 4; ++byte)
            rows.push_back(FieldRow::withHex(hexDigits(words[1], 2 * byte, 2 * byte + 2),
                                             "Data Byte " + std::to_string(byte + 3)));
    }
    return rows;
}

std::vector<FieldRow> sysEx8Rows(std::span<const std::uint32_t> words) {
    if (words.empty()) return {};
    const std::uint32_t w0 = words[0];
    auto rows =
        firstWordRows(w0, "Message Type = 5, SysEx8 (8-bit) / Mixed Data Set Message",
                      names::tableText(names::sysEx8Statuses, ump::sysex::status(w0), unrecognized),
                      "Stream ID", "Data Byte 1");
    // Mixed Data Set chunks keep the SysEx8 layout; their header and payload are not decoded.
    const std::size_t wordCount = words.size() < 4 ? words.size() : 4;
    for (std::size_t w = 1; w < wordCount; ++w)
        for (int byte = 0; byte < 4; ++byte)
            rows.push_back(
                FieldRow::withHex(hexDigits(words[w], 2 * byte, 2 * byte + 2), "Data Byte"));
    return rows;
}

} // namespace umbrascope
