#include "cli/BreakdownOutput.hpp"

#include "breakdown/BreakdownReading.hpp"
#include "breakdown/BreakdownRows.hpp"
#include "cli/TerminalText.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::size_t hexColumn = 8;
constexpr std::size_t widthColumn = 7; // "32 bits"

void appendLine(std::string& out, const FieldRow& row, std::size_t depth) {
    out.append(4 * (depth + 1), ' ');
    out += row.hex;
    if (row.hex.size() < hexColumn) out.append(hexColumn - row.hex.size(), ' ');
    const std::string width = std::to_string(row.bits) + (row.bits == 1 ? " bit" : " bits");
    out += "  ";
    if (width.size() < widthColumn) out.append(widthColumn - width.size(), ' ');
    out += width;
    out += "  ";
    out += terminalSafe(row.label);
    out += '\n';
}

void writeRows(JsonWriter& json, const std::vector<FieldRow>& rows) {
    json.beginArray();
    for (const auto& row : rows) {
        json.beginObject();
        json.member("hex", row.hex);
        json.member("bits", row.bits);
        json.member("label", row.label);
        json.key("subRows");
        writeRows(json, row.subRows);
        json.endObject();
    }
    json.endArray();
}

} // namespace

std::string breakdownPlainLines(const std::vector<FieldRow>& rows) {
    std::string out;
    for (const auto& row : rows) {
        appendLine(out, row, 0);
        for (const auto& subRow : row.subRows)
            appendLine(out, subRow, 1);
    }
    return out;
}

void writeBreakdownJson(JsonWriter& json, const MIDIMessage& message) {
    json.key("rows");
    writeRows(json, breakdownRows(message));
    json.member("fieldsSpeech", fieldsSpeechText(message));
    json.member("reading", breakdownReadingText(message, false));
    json.member("readingSheetOpen", breakdownReadingText(message, true));
}

} // namespace umbrascope::cli
