#pragma once

#include <span>
#include <string>
#include <string_view>

#include "breakdown/FieldRow.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope {

// The spoken form of a breakdown: one sentence per row and per sub-row ("8 bits, Note Number:
// C4."), one level of sub-rows only.
std::string fieldsSpeechText(const MIDIMessage& message);
std::string fieldsSpeechText(std::span<const FieldRow> rows);

// What the read-aloud speaks: how to stop it, when the message arrived (a sentence of its own,
// when given), then the fields. The stop hint depends on whether the breakdown sheet is open (its
// button) or not (the M key).
std::string breakdownReadingText(const MIDIMessage& message, bool sheetOpen,
                                 std::string_view arrival = {});

} // namespace umbrascope
