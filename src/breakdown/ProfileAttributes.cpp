#include "breakdown/ProfileAttributes.hpp"

#include <array>

#include "breakdown/ValueText.hpp"
#include "core/Hex.hpp"
#include "model/fields/MIDI2Fields.hpp"
#include "text/Percent.hpp"

namespace umbrascope {

namespace {

using Names16 = std::array<std::string_view, 16>;

constexpr int firstArticulationType = 16;

// Indexed by attribute type − 16.
constexpr std::array<std::string_view, 8> classificationNames{
    "Core Sounds – Sustains and Strikes", "Staccatos and Shorts",
    "Same Note Trills/Repeats",           "Intervallic Trills",
    "Additional Colors – Sustained",      "Pitch and Dynamic Gestures",
    "Scales, Runs, and Arpeggios",        "Effects and Noises",
};

// Indexed by [attribute type − 16][sub-class].
constexpr std::array<Names16, 8> subClassNames{{
    {"Normal Sustains & Strikes (Part 1)", "Normal Sustains & Strikes (Part 2)",
     "Legato and Legato Slurred", "Molto Legato", "Glissando", "Detaché", "Marcato", "Martelé",
     "Senza Vibrato", "Con Vibrato", "Synchronized Vibrato", "Reserved", "Reserved", "Reserved",
     "Reserved", "Reserved"},
    {"Normal Staccato Off String", "Normal Staccato On String", "Slurred Staccato",
     "Accented Staccato", "Staccatissimo", "Spiccato", "Sautillé", "Martellato", "Long Staccato",
     "Portato", "Pizzicato", "Bartok Pizzicato", "Col Legno Battuto", "Col Legno Gestrichen",
     "String Hand Tap", "Jete"},
    {"Tremolo / Flutter Tongue", "Growl / Razz", "Other Coloristic Tremolo", "One Note Trills",
     "2 Repeats", "3 Repeats", "4 Repeats", "5 Repeats", "6 Repeats", "Faster Repeats", "Reserved",
     "Reserved", "Reserved", "Reserved", "Reserved", "Reserved"},
    {"Half Step (Classical)", "Half Step (Baroque)", "Whole Step (Classical)",
     "Whole Step (Baroque)", "Minor 3rd", "Major 3rd", "Perfect 4th", "Tritone", "Perfect 5th",
     "Minor 6th", "Major 6th", "Minor 7th", "Major 7th", "Octave", "Reserved", "Reserved"},
    {"Harmonics – Natural", "Harmonics – Artificial", "Col Legno Tratto", "Flautando",
     "Polyphony: Multiple Octaves", "Polyphony: Intervals, Chords, etc.", "Cuivré", "Lontano",
     "Singing into Instrument", "Reserved", "Reserved", "Reserved", "Reserved", "Reserved",
     "Reserved", "Reserved"},
    {"Pitch Fall End", "Pitch Fall Start", "Pitch Rise End", "Pitch Rise Start", "Blue Note Down",
     "Blue Note Up", "Grace Notes “Classical” (Starts Below)",
     "Grace Notes “Baroque” (Starts Above)", "Shakes", "Crescendo", "Decrescendo",
     "Cresc -> Decresc", "Decresc -> Cresc", "Sfz Crescendo", "Reserved", "Reserved"},
    {"Playable Runs", "Playable Tremolos", "Playable Glissando", "Scales/Runs Major",
     "Scales/Runs Minor", "Scales/Runs Dominant 7th",
     "Scales/Runs Diminished (Whole/Half) or Other 1",
     "Scales/Runs Diminished (Half/Whole) or Other 2", "Whole Tone Scale 1 (Includes C)",
     "Whole Tone Scale 2 (Includes C#)", "Pentatonic Scale (Major)", "Pentatonic Scale (Minor)",
     "Lydian", "Lydian b7", "Chromatic", "Other Scales and Runs"},
    {"Assorted Noises, Air Sound, or Effects – Sustained", "Behind the Bridge – Sustained",
     "Random Pizz – Sustained", "Harmonic Glissando", "Random Glissando",
     "Air Sound, Chiffs/Squeak/Lip-Pizz – Short", "Mechanical Sounds – Sustained",
     "Mechanical Sounds – Short", "Finger Glide", "Fret Buzz/Noise", "Thump", "Knock", "Slap",
     "Pop", "Tap", "Click"},
}};

constexpr std::array<std::string_view, 4> directionNames{
    "Determined by the Receiver or Automatic",
    "Down Stroke / Right-Hand Pizzicato or Strike",
    "Up Stroke / Left-Hand Pizzicato or Strike",
    "Reserved",
};

constexpr std::array<std::string_view, 8> stringNames{
    "No String Assignment", "First String (highest pitched)",
    "Second String",        "Third String",
    "Fourth String",        "Fifth String",
    "Sixth String",         "Other String",
};

constexpr Names16 gestureNames{
    "Hi-Hat Pedal", "Normal Strike", "Rim Shot", "Cross Stick", "Rim Hit",  "Reserved",
    "Reserved",     "Reserved",      "Reserved", "Reserved",    "Reserved", "Reserved",
    "Reserved",     "Reserved",      "Reserved", "Reserved",
};

template <typename Table>
std::string_view lookup(const Table& table, int key, std::string_view fallback) {
    return key >= 0 && static_cast<std::size_t>(key) < table.size()
               ? table[static_cast<std::size_t>(key)]
               : fallback;
}

// "{value} {name}", the way every named sub-field reads.
std::string numbered(int value, std::string_view name) {
    std::string text = std::to_string(value);
    text += ' ';
    text += name;
    return text;
}

constexpr std::string_view withSubfields = "with subfields:";

// The 12-bit distance of the Drums note model, from the centre (0) to the edge.
constexpr unsigned maxDistance = 4095;

} // namespace

std::string_view articulationClassificationName(int attributeType) {
    return lookup(classificationNames, attributeType - firstArticulationType,
                  "Unrecognized Classification");
}

std::string_view articulationSubClassName(int attributeType, int subClass) {
    const int row = attributeType - firstArticulationType;
    if (row < 0 || static_cast<std::size_t>(row) >= subClassNames.size()) return "Reserved";
    return lookup(subClassNames[static_cast<std::size_t>(row)], subClass, "Reserved");
}

std::string_view articulationDirectionName(int direction) {
    return lookup(directionNames, direction, "Reserved");
}

std::string_view articulationStringName(int string) {
    return lookup(stringNames, string, "Unrecognized");
}

std::string_view drumsGestureName(int gesture) {
    return lookup(gestureNames, gesture, "Reserved");
}

AttributeFields orchestralArticulationFields(std::uint8_t attributeType, std::uint16_t data) {
    const int subClass = ump::profile::articulationSubClass(data);
    const int direction = ump::profile::articulationDirection(data);
    const int resetRoundRobin = ump::profile::articulationResetRoundRobin(data);
    const int string = ump::profile::articulationString(data);

    AttributeFields fields;
    fields.typeText = "Articulation Classification: ";
    fields.typeText += articulationClassificationName(attributeType);
    fields.dataText = withSubfields;
    fields.subRows.reserve(6);
    fields.subRows.push_back(FieldRow::withBits(
        4, "SubClass = " + hex::text(static_cast<std::uint32_t>(subClass), 1) + " " +
               std::string(articulationSubClassName(attributeType, subClass))));
    fields.subRows.push_back(FieldRow::withBits(
        4, "Variation = " + std::to_string(ump::profile::articulationVariation(data))));
    fields.subRows.push_back(FieldRow::withBits(
        2, "Direction = " + numbered(direction, articulationDirectionName(direction))));
    fields.subRows.push_back(FieldRow::withBits(2, "Reserved"));
    fields.subRows.push_back(FieldRow::withBits(
        1, "Reset Round Robin = " +
               numbered(resetRoundRobin, resetRoundRobin == 1 ? "True" : "False")));
    fields.subRows.push_back(
        FieldRow::withBits(3, "String = " + numbered(string, articulationStringName(string))));
    return fields;
}

AttributeFields drumsNoteModelFields(std::uint16_t data) {
    const int gesture = ump::profile::drumsGesture(data);
    const unsigned distance = ump::profile::drumsDistance(data);
    const double percent = text::percentOf(distance, maxDistance);

    AttributeFields fields;
    fields.typeText = "Default Note Model: Gesture + Distance from Center (Drums Profile)";
    fields.dataText = withSubfields;
    fields.subRows.reserve(2);
    fields.subRows.push_back(
        FieldRow::withBits(4, "Gesture = " + numbered(gesture, drumsGestureName(gesture))));
    fields.subRows.push_back(FieldRow::withBits(12, "Distance from Center = " + fixed2(percent) +
                                                        "% (" + std::to_string(distance) + " of " +
                                                        std::to_string(maxDistance) + ")"));
    return fields;
}

} // namespace umbrascope
