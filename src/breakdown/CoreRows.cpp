#include <array>
#include <string>

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/CommonRows.hpp"
#include "breakdown/ValueText.hpp"
#include "model/fields/CoreFields.hpp"
#include "text/Formatters.hpp"

namespace umbrascope {

namespace {

// Utility status names, indexed by the status nibble.
constexpr std::array<const char*, 16> utilityStatusNames{
    "No Operation (NOOP)", "JR Clock",
    "JR Timestamp",        "Delta Clockstamp Ticks Per Quarter Note",
    "Delta Clockstamp",    "Unrecognized",
    "Unrecognized",        "Unrecognized",
    "Unrecognized",        "Unrecognized",
    "Unrecognized",        "Unrecognized",
    "Unrecognized",        "Unrecognized",
    "Unrecognized",        "Unrecognized",
};

// System status names, indexed by the low nibble of a status byte 0xF0 to 0xFF; every status
// below 0xF0 is unrecognized too.
constexpr const char* unrecognizedSystemStatus = "Unrecognized status";
constexpr std::array<const char*, 16> systemStatusNames{
    unrecognizedSystemStatus,       // F0
    "MIDI Time Code Quarter Frame", // F1
    "Song Position Pointer",        // F2
    "Song Select",                  // F3
    unrecognizedSystemStatus,       // F4
    unrecognizedSystemStatus,       // F5
    "Tune Request",                 // F6
    unrecognizedSystemStatus,       // F7
    "Timing Clock",                 // F8
    unrecognizedSystemStatus,       // F9
    "Start",                        // FA
    "Continue",                     // FB
    "Stop",                         // FC
    unrecognizedSystemStatus,       // FD
    "Active Sensing",               // FE
    "System Reset",                 // FF
};

const char* systemStatusName(std::uint8_t status) {
    return status >= 0xF0 ? systemStatusNames[status & 0x0F] : unrecognizedSystemStatus;
}

// How a MIDI 1.0 data byte is written after its prefix.
enum class DataText {
    none,         // the prefix alone
    note,         // note name
    number,       // decimal
    percent,      // decimal and share of 127
    combinedBend, // the 14-bit bend value "of 16383"
};

struct Midi1Layout {
    const char* status = nullptr; // nullptr: unrecognized opcode
    const char* data1Prefix = "";
    DataText data1 = DataText::none;
    const char* data2Prefix = "";
    DataText data2 = DataText::none;
};

// Indexed by opcode.
constexpr std::array<Midi1Layout, 16> midi1Layouts{{
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {},
    {"Note Off", "Note Number = ", DataText::note, "Velocity = ", DataText::percent},
    {"Note On", "Note Number = ", DataText::note, "Velocity = ", DataText::percent},
    {"Polyphonic Aftertouch", "Note Number = ", DataText::note, "Pressure = ", DataText::percent},
    {"Control Change", "Controller Number = ", DataText::number, "Value = ", DataText::percent},
    {"Program Change", "Program Number = ", DataText::number, "Unused", DataText::none},
    {"Channel Aftertouch", "Pressure = ", DataText::percent, "Unused", DataText::none},
    {"Pitch Bend", "Bend LSB (fine)", DataText::none, "Bend MSB (coarse) — combined value ",
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
        label += std::to_string(ump::data14(w0)) + " of 16383";
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
    rows.push_back(FieldRow::withHex(std::move(hex[2]), utilityStatusNames[ump::opcode(w0)]));
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
    std::string status =
        "Status = 0x" + hex[2] + " (" + systemStatusName(ump::systemStatus(w0)) + ")";
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

    const Midi1Layout& layout = midi1Layouts[ump::opcode(w0)];
    if (layout.status == nullptr) {
        rows.push_back(unrecognizedStatusRow(std::move(hex[2])));
        rows.push_back(channelRow(w0, std::move(hex[3])));
        rows.push_back(FieldRow::withHex(hex[4] + hex[5], "Data"));
        return rows;
    }
    rows.push_back(FieldRow::withHex(std::move(hex[2]), layout.status));
    rows.push_back(channelRow(w0, std::move(hex[3])));
    rows.push_back(FieldRow::withHex(
        std::move(hex[4]), dataLabel(layout.data1Prefix, layout.data1, ump::data1(w0), w0)));
    rows.push_back(FieldRow::withHex(
        std::move(hex[5]), dataLabel(layout.data2Prefix, layout.data2, ump::data2(w0), w0)));
    return rows;
}

} // namespace umbrascope
