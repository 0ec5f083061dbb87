#include "breakdown/BreakdownReading.hpp"

#include <string_view>

#include "breakdown/BreakdownRows.hpp"
#include "text/SpokenText.hpp"

namespace umbrascope {

namespace {

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

void appendSentence(std::string& text, const FieldRow& row) {
    if (!text.empty()) text += ' ';
    text += std::to_string(row.bits);
    text += row.bits == 1 ? " bit, " : " bits, ";
    std::string label = row.label;
    replaceAll(label, " = ", ": ");
    text += label;
    text += '.';
}

} // namespace

std::string fieldsSpeechText(std::span<const FieldRow> rows) {
    std::string text;
    for (const auto& row : rows) {
        appendSentence(text, row);
        for (const auto& subRow : row.subRows)
            appendSentence(text, subRow);
    }
    return withSpokenUMP(text);
}

std::string fieldsSpeechText(const MIDIMessage& message) {
    return fieldsSpeechText(breakdownRows(message));
}

std::string breakdownReadingText(const MIDIMessage& message, bool sheetOpen,
                                 std::string_view arrival) {
    std::string text = sheetOpen ? "To stop this reading, click Stop Reading, or close this window."
                                 : "To stop this reading, press M again.";
    if (!arrival.empty()) (text += ' ') += arrival;
    text += " Fields are, ";
    text += fieldsSpeechText(message);
    return text;
}

} // namespace umbrascope
