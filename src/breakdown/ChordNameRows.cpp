#include "breakdown/ChordNameRows.hpp"

#include <string>
#include <string_view>

#include "breakdown/FlexPayload.hpp"
#include "breakdown/FlexValueNames.hpp"
#include "model/fields/FlexDataFields.hpp"

namespace umbrascope {
namespace {

namespace flex = ump::flex;

std::string sharpsFlatsLabel(std::string_view name, std::uint8_t nibble) {
    const int value = flex::signedNibble(nibble);
    return std::string(name) + " = " + std::to_string(value) + " " +
           flexnames::sharpsFlatsText(value);
}

std::string numberedName(std::string_view name, std::uint8_t value, std::string_view valueName) {
    return std::string(name) + " = " + std::to_string(value) + " " + std::string(valueName);
}

// One row for "no alteration", else the type and the degree as two 4-bit rows.
void appendAlterationRows(std::vector<FieldRow>& rows, std::uint8_t alteration,
                          std::string_view prefix, int index) {
    const std::string name = std::string(prefix) + " " + std::to_string(index);
    const std::uint8_t type = flex::alterationType(alteration);
    if (type == 0) {
        rows.push_back(FieldRow::withBits(8, name + " = No Alteration"));
        return;
    }
    rows.push_back(FieldRow::withBits(
        4, numberedName(name + " Type", type, flexnames::alterationTypeName(type))));
    rows.push_back(FieldRow::withBits(
        4, name + " Degree = " + std::to_string(flex::alterationDegree(alteration))));
}

} // namespace

void appendChordNameRows(std::vector<FieldRow>& rows, FlexPacket words) {
    rows.push_back(FieldRow::withBits(
        4, sharpsFlatsLabel("Tonic Sharps/Flats", valueAt(words, flex::chordTonicSharpsFlats))));
    const std::uint8_t tonic = valueAt(words, flex::chordTonic);
    rows.push_back(FieldRow::withBits(
        4, numberedName("Chord Tonic Note", tonic, flexnames::chordTonicName(tonic))));
    rows.push_back(FieldRow::withHex(
        hexAt(words, flex::chordType),
        "Chord Type = " + std::string(flexnames::chordTypeName(valueAt(words, flex::chordType)))));

    appendAlterationRows(rows, valueAt(words, flex::alteration1), "Alteration", 1);
    appendAlterationRows(rows, valueAt(words, flex::alteration2), "Alteration", 2);
    appendAlterationRows(rows, valueAt(words, flex::alteration3), "Alteration", 3);
    appendAlterationRows(rows, valueAt(words, flex::alteration4), "Alteration", 4);

    rows.push_back(FieldRow::withBits(
        4, sharpsFlatsLabel("Bass Sharps/Flats", valueAt(words, flex::bassSharpsFlats))));
    const std::uint8_t bass = valueAt(words, flex::bassNote);
    rows.push_back(
        FieldRow::withBits(4, numberedName("Bass Note", bass, flexnames::bassNoteName(bass))));
    const std::uint8_t bassType = valueAt(words, flex::bassChordType);
    rows.push_back(FieldRow::withHex(
        hexAt(words, flex::bassChordType),
        "Bass Chord Type = " + std::string(bassType == 0 ? "Clear Bass Chord (No Bass Chord)"
                                                         : flexnames::chordTypeName(bassType))));

    appendAlterationRows(rows, valueAt(words, flex::bassAlteration1), "Bass Alteration", 1);
    appendAlterationRows(rows, valueAt(words, flex::bassAlteration2), "Bass Alteration", 2);

    // The low half of word 3 closes the message.
    rows.push_back(FieldRow::withBits(16, "Reserved"));
}

} // namespace umbrascope
