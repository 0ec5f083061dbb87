#pragma once

#include <string>
#include <vector>

#include "breakdown/BreakdownText.hpp"
#include "breakdown/FieldRow.hpp"
#include "cli/Json.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope::cli {

using umbrascope::breakdownPlainLines;

// The members "rows", "fieldsSpeech", "reading" and "readingSheetOpen" of a message's object.
void writeBreakdownJSON(JSONWriter& json, const MIDIMessage& message);

} // namespace umbrascope::cli
