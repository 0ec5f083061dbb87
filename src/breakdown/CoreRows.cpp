#include <array>
#include <string>

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/CommonRows.hpp"
#include "breakdown/ValueText.hpp"
#include "model/StatusCodes.hpp"
#include "model/fields/CoreFields.hpp"
#include "text/Formatters.hpp"
#include "text/names/ChannelVoiceNames.hpp"
#include "text/names/SystemNames.hpp"
#include "text/names/TableText.hpp"
#include "text/names/UtilityNames.hpp"

namespace umbrascope {

namespace {

// How a MIDI 1.0 data byte is written after its prefix.
enum class DataText {
    none,         // the prefix alone
    note,         // note name
    number,       // decimal
    percent,      // decimal and share of 127
    combinedBend, // the 14-bit bend value "of 16383"
};

struct MIDI1Layout {
    const char* data1Prefix = "";
    DataText data1 = DataText::none;
    const char* data2Prefix = "";
    DataText data2 = DataText::none;
};

// Indexed by opcode; the opcodes without a name have no layout.
constexpr std::array<MIDI1Layout, 16> midi1Layouts{{
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {"Note Number = ", DataText::note, "Velocity = ", DataText::percent},
    {"Note Number = ", DataText::note, "Velocity = ", DataText::percent},
    {"Note Number = ", DataText::note, "Pressure = ", DataText::percent},
    {"Controller Number = ", DataText::number, "Value = ", DataText::percent},
    {"Program Number = ", DataText::number, "Unused", DataText::none},
    {"Pressure = ", DataText::percent, "Unused", DataText::none},
    {"Bend LSB (fine)", DataText::none, "Bend MSB (coarse) — combined value ",
     DataText::combinedBend},
    {},
}};

std::string dataLabel(const char* prefix, DataText text, std::uint8_t value, std::uint32_t w0) {
    std::string label = prefix;
    switch (text) {
    case DataText::none:
        break;
    case DataText::note:
        label += noteName(value);
        break;
    case DataText::number:
        label += std::to_string(value);
        break;
    case DataText::percent:
        label += valueOf127(value);
        break;
    case DataText::combinedBend:
        label += std::to_string(ump::data14(w0)) + " of " + std::to_string(ump::ranges::max14);
        break;
    }
    return label;
}

} // namespace

std::vector<FieldRow> utilityRows(std::uint32_t w0) {
    static constexpr DigitSpan spans[] = {{0, 1}, {1, 2}, {2, 3}, {3, 8}};
    auto hex = hexSpans(w0, spans);
    std::vector<FieldRow> rows;
    rows.reserve(4);
    rows.push_back(FieldRow::withHex(std::move(hex[0]), "Message Type = 0, Utility Message"));
    rows.push_back(groupRow(w0, std::move(hex[1])));
    const auto* entry = names::tableEntry(names::utilityStatuses, ump::opcode(w0));
    rows.push_back(
        FieldRow::withHex(std::move(hex[2]), std::string(entry ? entry->label : "Unrecognized")));
    rows.push_back(
        FieldRow::withHex(std::move(hex[3]), "Value = " + std::to_string(ump::utilityValue(w0))));
    return rows;
}

std::vector<FieldRow> systemRows(std::uint32_t w0) {
    static constexpr DigitSpan spans[] = {{0, 1}, {1, 2}, {2, 4}, {4, 6}, {6, 8}};
    auto hex = hexSpans(w0, spans);
    std::vector<FieldRow> rows;
    rows.reserve(5);
    rows.push_back(
        FieldRow::withHex(std::move(hex[0]), "Message Type = 1, System Real-Time/Common Message"));
    rows.push_back(groupRow(w0, std::move(hex[1])));
    const auto* entry = names::systemStatusNames(ump::systemStatus(w0));
    std::string status = "Status = 0x" + hex[2] + " (" +
                         std::string(entry ? entry->name : "Unrecognized status") + ")";
    rows.push_back(FieldRow::withHex(std::move(hex[2]), std::move(status)));
    rows.push_back(
        FieldRow::withHex(std::move(hex[3]), "Data 1 = " + std::to_string(ump::data1(w0))));
    rows.push_back(
        FieldRow::withHex(std::move(hex[4]), "Data 2 = " + std::to_string(ump::data2(w0))));
    return rows;
}

std::vector<FieldRow> midi1ChannelVoiceRows(std::uint32_t w0) {
    static constexpr DigitSpan spans[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {6, 8}};
    auto hex = hexSpans(w0, spans);
    std::vector<FieldRow> rows;
    rows.reserve(6);
    rows.push_back(
        FieldRow::withHex(std::move(hex[0]), "Message Type = 2, MIDI 1.0 Channel Voice Message"));
    rows.push_back(groupRow(w0, std::move(hex[1])));

    const std::uint8_t opcode = ump::opcode(w0);
    const std::string_view name = names::midi1OpcodeName(opcode);
    if (name.empty()) {
        rows.push_back(unrecognizedStatusRow(std::move(hex[2])));
        rows.push_back(channelRow(w0, std::move(hex[3])));
        rows.push_back(FieldRow::withHex(hex[4] + hex[5], "Data"));
        return rows;
    }
    const MIDI1Layout& layout = midi1Layouts[opcode];
    rows.push_back(FieldRow::withHex(std::move(hex[2]), std::string(name)));
    rows.push_back(channelRow(w0, std::move(hex[3])));
    rows.push_back(FieldRow::withHex(
        std::move(hex[4]), dataLabel(layout.data1Prefix, layout.data1, ump::data1(w0), w0)));
    rows.push_back(FieldRow::withHex(
        std::move(hex[5]), dataLabel(layout.data2Prefix, layout.data2, ump::data2(w0), w0)));
    return rows;
}

} // namespace umbrascope
