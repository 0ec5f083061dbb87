#include "text/Formatters.hpp"

#include <array>

#include "text/Percent.hpp"
#include "text/TextAppend.hpp"
#include "text/names/ChannelVoiceNames.hpp"

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

std::string outOfRangeNote(int note) {
    std::string out = "note ";
    text::appendInt(out, note);
    return out;
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
    if (value > centre)
        return labelledPercent("+", text::percentAboveCentre(value, centre, maximum));
    return labelledPercent("-", text::percentBelowCentre(value, centre));
}

std::string panDisplayText(double value, double centre, double maximum) {
    if (value == centre) return "Center";
    if (value < centre) return labelledPercent("Left ", text::percentBelowCentre(value, centre));
    return labelledPercent("Right ", text::percentAboveCentre(value, centre, maximum));
}

std::string controllerDisplayName(int controller) {
    std::string out;
    const auto* named = names::controllerNames(controller);
    if (named) {
        out += named->name;
        out += " (";
    }
    out += "CC";
    text::appendInt(out, controller);
    if (named) out += ')';
    return out;
}

std::string groupedNumber(std::uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

} // namespace umbrascope
