#include "breakdown/FlexValueNames.hpp"

#include <array>

#include "text/names/TableText.hpp"

namespace umbrascope::flexnames {
namespace {

using names::tableText;

constexpr std::string_view reserved = "Reserved";

constexpr std::array<std::string_view, 8> chordTonicNames{
    "Unknown (No Chord)", "A", "B", "C", "D", "E", "F", "G",
};

constexpr std::array<std::string_view, 8> bassNoteNames{
    "Same as Chord Tonic Note", "A", "B", "C", "D", "E", "F", "G",
};

constexpr std::array<std::string_view, 8> keyTonicNames{
    "Unknown/Non-Standard", "A", "B", "C", "D", "E", "F", "G",
};

constexpr std::array<std::string_view, 5> alterationTypeNames{
    "No Alteration",
    "Add Degree",
    "Subtract Degree",
    "Raise Degree (Adding if Needed)",
    "Lower Degree (Adding if Needed)",
};

constexpr std::array<std::string_view, 28> chordTypeNames{
    "Clear Chord - No Chord",
    "Major",
    "Major 6th",
    "Major 7th",
    "Major 9th",
    "Major 11th",
    "Major 13th",
    "Minor",
    "Minor 6th",
    "Minor 7th",
    "Minor 9th",
    "Minor 11th",
    "Minor 13th",
    "Dominant",
    "Dominant Ninth",
    "Dominant 11th",
    "Dominant 13th",
    "Augmented",
    "Augmented Seventh",
    "Diminished",
    "Diminished Seventh",
    "Half Diminished (Diminished Triad, Minor Seventh)",
    "Major-Minor or Minor-Major (Minor Triad, Major Seventh)",
    "Pedal (e.g. XF 1+8)",
    "Power (e.g. XF 1+5)",
    "Suspended 2nd (e.g. XF 1+2+5)",
    "Suspended 4th",
    "7 Suspended 4th",
};

} // namespace

std::string_view chordTonicName(std::uint8_t note) {
    return tableText(chordTonicNames, note, reserved);
}
std::string_view bassNoteName(std::uint8_t note) {
    return tableText(bassNoteNames, note, reserved);
}
std::string_view keyTonicName(std::uint8_t note) {
    return tableText(keyTonicNames, note, reserved);
}
std::string_view alterationTypeName(std::uint8_t type) {
    return tableText(alterationTypeNames, type, reserved);
}
std::string_view chordTypeName(std::uint8_t type) {
    return tableText(chordTypeNames, type, reserved);
}

std::string sharpsFlatsText(int sharpsFlats) {
    if (sharpsFlats <= -8) return "Unknown/Non-Standard";
    if (sharpsFlats == 0) return "Natural";
    if (sharpsFlats > 0)
        return std::to_string(sharpsFlats) + (sharpsFlats == 1 ? " Sharp" : " Sharps");
    return std::to_string(-sharpsFlats) + (sharpsFlats == -1 ? " Flat" : " Flats");
}

} // namespace umbrascope::flexnames
