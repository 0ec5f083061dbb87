#pragma once

#include <string>
#include <vector>

#include "breakdown/FieldRow.hpp"
#include "cli/Json.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope::cli {

// The field breakdown under a decoded message: one line per row ("    3C        8 bits  Note
// Number = C4"), sub-rows indented one more step; labels made terminal-safe.
std::string breakdownPlainLines(const std::vector<FieldRow>& rows);

// The members "rows", "fieldsSpeech", "reading" and "readingSheetOpen" of a message's object.
void writeBreakdownJson(JsonWriter& json, const MIDIMessage& message);

} // namespace umbrascope::cli
