#include "text/Formatters.hpp"

#include <array>

#include "text/TextAppend.hpp"

namespace umbrascope {
namespace {

constexpr std::array<std::string_view, 12> sharpPitchNames{"C",  "C#", "D",  "D#", "E",  "F",
                                                           "F#", "G",  "G#", "A",  "A#", "B"};
// Spoken names: a letter, and whether " sharp " follows it.
struct SpokenPitch {
    char letter;
    bool sharp;
};
constexpr std::array<SpokenPitch, 12> spokenPitches{{{'C', false},
                                                     {'C', true},
                                                     {'D', false},
                                                     {'D', true},
                                                     {'E', false},
                                                     {'F', false},
                                                     {'F', true},
                                                     {'G', false},
                                                     {'G', true},
                                                     {'A', false},
                                                     {'A', true},
                                                     {'B', false}}};

struct ControllerName {
    int number;
    std::string_view name;
};
constexpr std::array<ControllerName, 9> controllerNames{{
    {1, "Modulation (CC1)"},
    {7, "Volume (CC7)"},
    {10, "Pan (CC10)"},
    {11, "Expression (CC11)"},
    {64, "Sustain Pedal (CC64)"},
    {91, "Reverb Depth (CC91)"},
    {93, "Chorus Depth (CC93)"},
    {121, "Reset All Controllers (CC121)"},
    {123, "All Notes Off (CC123)"},
}};

constexpr std::array<std::string_view, 13> metadataTextEvents{
    "Unknown Metadata Text Event",
    "Project Name",
    "Composition (Song) Name",
    "MIDI Clip Name",
    "Copyright Notice",
    "Composer Name",
    "Lyricist Name",
    "Arranger Name",
    "Publisher Name",
    "Primary Performer Name",
    "Accompanying Performer Name",
    "Recording/Concert Date",
    "Recording/Concert Location",
};
constexpr std::array<std::string_view, 5> performanceTextEvents{
    "Unknown Performance Text Event", "Lyrics", "Lyrics Language", "Ruby", "Ruby Language",
};

std::string outOfRangeNote(int note) {
    std::string out = "note ";
    text::appendInt(out, note);
    return out;
}

// Share of the distance from the centre towards the end on that side, in per cent.
double aboveCentre(double value, double centre, double maximum) {
    return maximum - centre < 1 ? 0.0 : (value - centre) / (maximum - centre) * 100.0;
}
double belowCentre(double value, double centre) {
    return centre < 1 ? 0.0 : (centre - value) / centre * 100.0;
}

std::string labelledPercent(std::string_view label, double percent) {
    std::string out;
    out.reserve(label.size() + 10);
    out += label;
    text::appendFixed2(out, percent);
    out += '%';
    return out;
}

} // namespace

std::string noteDisplayName(int note) {
    if (note < 0 || note > 127) return outOfRangeNote(note);
    std::string out(sharpPitchNames[static_cast<std::size_t>(note % 12)]);
    text::appendInt(out, note / 12 - 1);
    out += " (";
    text::appendInt(out, note);
    out += ')';
    return out;
}

std::string noteName(int note) {
    if (note < 0 || note > 127) return outOfRangeNote(note);
    const SpokenPitch pitch = spokenPitches[static_cast<std::size_t>(note % 12)];
    std::string out(1, pitch.letter);
    if (pitch.sharp) out += " sharp ";
    text::appendInt(out, note / 12 - 1);
    return out;
}

std::string centeredPercent(double value, double centre, double maximum) {
    if (value == centre) return "Center";
    if (value > centre) return labelledPercent("+", aboveCentre(value, centre, maximum));
    return labelledPercent("-", belowCentre(value, centre));
}

std::string panDisplayText(double value, double centre, double maximum) {
    if (value == centre) return "Center";
    if (value < centre) return labelledPercent("Left ", belowCentre(value, centre));
    return labelledPercent("Right ", aboveCentre(value, centre, maximum));
}

std::string controllerDisplayName(int controller) {
    for (const auto& entry : controllerNames)
        if (entry.number == controller) return std::string(entry.name);
    std::string out = "CC";
    text::appendInt(out, controller);
    return out;
}

std::optional<std::string_view> flexTextEventName(std::uint8_t bank, std::uint8_t status) {
    if (bank == 0x01 && status < metadataTextEvents.size()) return metadataTextEvents[status];
    if (bank == 0x02 && status < performanceTextEvents.size()) return performanceTextEvents[status];
    return std::nullopt;
}

} // namespace umbrascope
