#include "cli/BreakdownOutput.hpp"

#include "breakdown/BreakdownReading.hpp"
#include "breakdown/BreakdownRows.hpp"

namespace umbrascope::cli {

namespace {

void writeRows(JSONWriter& json, const std::vector<FieldRow>& rows) {
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

void writeBreakdownJSON(JSONWriter& json, const MIDIMessage& message) {
    json.key("rows");
    writeRows(json, breakdownRows(message));
    json.member("fieldsSpeech", fieldsSpeechText(message));
    json.member("reading", breakdownReadingText(message, false));
    json.member("readingSheetOpen", breakdownReadingText(message, true));
}

} // namespace umbrascope::cli
