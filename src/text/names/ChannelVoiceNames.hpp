#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "model/StatusCodes.hpp"

namespace umbrascope::names {

struct OpcodeNames {
    std::string_view name;        // description, breakdown and verbose speech; empty: no name
    std::string_view spokenShort; // the word the short spoken form starts with, where it has one
};

// Indexed by opcode; MIDI 1.0 names only Note Off to Pitch Bend.
inline constexpr std::array<OpcodeNames, 16> opcodes{{
    {"Registered Per-Note Controller", ""},
    {"Assignable Per-Note Controller", ""},
    {"Registered Controller (RPN)", ""},
    {"Assignable Controller (NRPN)", ""},
    {"Relative Registered Controller", ""},
    {"Relative Assignable Controller", ""},
    {},
    {},
    {"Note Off", ""},
    {"Note On", ""},
    {"Polyphonic Aftertouch", ""},
    {"Control Change", ""},
    {"Program Change", "Program"},
    {"Channel Aftertouch", "Pressure"},
    {"Pitch Bend", "Bend"},
    {"Per-Note Management", ""},
}};

constexpr bool isMIDI1Opcode(std::uint8_t opcode) {
    return opcode >= ump::opcodes::noteOff && opcode <= ump::opcodes::pitchBend;
}

// The name of an opcode of either protocol; empty where it has none.
constexpr std::string_view midi1OpcodeName(std::uint8_t opcode) {
    return isMIDI1Opcode(opcode) ? opcodes[opcode].name : std::string_view();
}
constexpr std::string_view midi2OpcodeName(std::uint8_t opcode) {
    return opcode < opcodes.size() ? opcodes[opcode].name : std::string_view();
}

struct ControllerNames {
    std::uint8_t number;
    std::string_view name;   // description ("Volume (CC7)")
    std::string_view spoken; // verbose speech ("CC7 Volume")
};

inline constexpr std::array<ControllerNames, 9> controllers{{
    {ump::controllers::modulation, "Modulation", "Modulation"},
    {ump::controllers::volume, "Volume", "Volume"},
    {ump::controllers::pan, "Pan", "Pan"},
    {ump::controllers::expression, "Expression", "Expression"},
    {ump::controllers::sustainPedal, "Sustain Pedal", "Sustain"},
    {ump::controllers::reverbDepth, "Reverb Depth", "Reverb Depth"},
    {ump::controllers::chorusDepth, "Chorus Depth", "Chorus Depth"},
    {ump::controllers::resetAllControllers, "Reset All Controllers", "Reset All Controllers"},
    {ump::controllers::allNotesOff, "All Notes Off", "All Notes Off"},
}};

// The names of a controller number, or nothing for an unnamed one.
constexpr const ControllerNames* controllerNames(int number) {
    for (const auto& entry : controllers)
        if (entry.number == number) return &entry;
    return nullptr;
}

} // namespace umbrascope::names
