#include "text/SpokenText.hpp"

#include <array>

#include "model/Fields.hpp"
#include "model/fields/CoreFields.hpp"
#include "model/fields/Midi2Fields.hpp"
#include "text/Formatters.hpp"
#include "text/TextAppend.hpp"

namespace umbrascope {
namespace {

using text::appendFixed2;
using text::appendInt;
using text::appendTruncated;

using Status = std::optional<RunningVoiceStatus>;
using Spoken = std::optional<std::string>;

// Share of `maximum` in per cent; 0 when the divisor is below 1, so the result is always finite.
double percentOf(double value, double maximum) {
    return maximum < 1 ? 0.0 : value / maximum * 100.0;
}
double belowCentre(double value, double centre) {
    return centre < 1 ? 0.0 : (centre - value) / centre * 100.0;
}
double aboveCentre(double value, double centre, double maximum) {
    return maximum - centre < 1 ? 0.0 : (value - centre) / (maximum - centre) * 100.0;
}

void appendChannel(std::string& out, int channel) {
    out += " Channel ";
    appendInt(out, channel);
}

// "{pct} Percent" in the verbose form, "{ipct}" in the short form.
void appendSpokenPercent(std::string& out, double percent, bool shortForm) {
    if (shortForm) {
        appendTruncated(out, percent);
        return;
    }
    appendFixed2(out, percent);
    out += " Percent";
}

struct NamedController {
    int number;
    std::string_view name;
};
// Pan (10) and sustain (64) have texts of their own and are deliberately absent.
constexpr std::array<NamedController, 7> controllerNames{{
    {1, "Modulation"},
    {7, "Volume"},
    {11, "Expression"},
    {91, "Reverb Depth"},
    {93, "Chorus Depth"},
    {121, "Reset All Controllers"},
    {123, "All Notes Off"},
}};

// Channel voice ------------------------------------------------------------------------------

// The numbers a channel voice text needs, read from either protocol; each opcode uses its own.
struct VoiceFields {
    int channel;
    int index;       // note or controller number
    double velocity; // of note messages
    double value;    // poly pressure and control change
    double pressure; // channel pressure
    int program;
    double bend;
};

// The ranges of one protocol's values.
struct VoiceScale {
    double velocityMax;
    double valueMax;
    double valueCentre;
    double bendCentre;
    double bendMax;
};
constexpr VoiceScale midi1Scale{127, 127, 64, 8192, 16383};
constexpr VoiceScale midi2Scale{65535, 4294967295.0, 2147483648.0, 2147483648.0, 4294967295.0};

struct VoiceContext {
    const VoiceFields& fields;
    const VoiceScale& scale;
    TTSLevel level;
    Status& status;
    bool shortForm() const { return level == TTSLevel::short_; }
};

using VoiceBuilder = Spoken (*)(const VoiceContext&);

std::string noteOffText(const VoiceContext& c, double velocityPercent) {
    const std::string note = noteName(c.fields.index);
    if (c.shortForm()) return note + " Off";
    std::string out = "Note Off ";
    out += note;
    out += " Velocity ";
    appendSpokenPercent(out, velocityPercent, false);
    appendChannel(out, c.fields.channel);
    return out;
}

Spoken noteOff(const VoiceContext& c) {
    c.status = RunningVoiceStatus::noteOff;
    return noteOffText(c, percentOf(c.fields.velocity, c.scale.velocityMax));
}

Spoken noteOn(const VoiceContext& c) {
    if (c.fields.velocity == 0) {
        c.status = RunningVoiceStatus::noteOff;
        return noteOffText(c, 0.0);
    }
    const bool inRun = c.status == RunningVoiceStatus::noteOn;
    c.status = RunningVoiceStatus::noteOn;
    const std::string note = noteName(c.fields.index);
    if (c.shortForm()) return inRun ? note : "Note On " + note;
    std::string out = "Note On ";
    out += note;
    out += " Velocity ";
    appendSpokenPercent(out, percentOf(c.fields.velocity, c.scale.velocityMax), false);
    appendChannel(out, c.fields.channel);
    return out;
}

Spoken polyPressure(const VoiceContext& c) {
    c.status.reset();
    std::string out = c.shortForm() ? "" : "Polyphonic Aftertouch ";
    out += noteName(c.fields.index);
    out += " Pressure ";
    appendSpokenPercent(out, percentOf(c.fields.value, c.scale.valueMax), c.shortForm());
    if (!c.shortForm()) appendChannel(out, c.fields.channel);
    return out;
}

Spoken controlChange(const VoiceContext& c) {
    c.status.reset();
    return controlChangeText(c.fields.index, c.fields.value, c.scale.valueCentre, c.scale.valueMax,
                             c.fields.channel, c.level);
}

Spoken programChange(const VoiceContext& c) {
    c.status.reset();
    std::string out = c.shortForm() ? "Program " : "Program Change ";
    appendInt(out, c.fields.program);
    if (!c.shortForm()) appendChannel(out, c.fields.channel);
    return out;
}

Spoken channelPressure(const VoiceContext& c) {
    c.status.reset();
    std::string out = c.shortForm() ? "Pressure " : "Channel Aftertouch Pressure ";
    appendSpokenPercent(out, percentOf(c.fields.pressure, c.scale.valueMax), c.shortForm());
    if (!c.shortForm()) appendChannel(out, c.fields.channel);
    return out;
}

Spoken pitchBend(const VoiceContext& c) {
    c.status.reset();
    return pitchBendText(c.fields.bend, c.scale.bendCentre, c.scale.bendMax, c.fields.channel,
                         c.level);
}

// Opcodes 0x8 to 0xE; every other opcode takes the protocol's fallback.
constexpr std::array<VoiceBuilder, 7> voiceBuilders{
    noteOff, noteOn, polyPressure, controlChange, programChange, channelPressure, pitchBend,
};
constexpr std::uint8_t firstVoiceOpcode = 0x8;

VoiceBuilder voiceBuilder(std::uint8_t opcode) {
    return opcode >= firstVoiceOpcode && opcode - firstVoiceOpcode < int(voiceBuilders.size())
               ? voiceBuilders[opcode - firstVoiceOpcode]
               : nullptr;
}

Spoken midi1Text(const MIDIMessage& message, TTSLevel level, Status& status) {
    if (message.words.empty()) return std::nullopt;
    const std::uint32_t w0 = message.words[0];
    const std::uint8_t d1 = ump::data1(w0);
    const std::uint8_t d2 = ump::data2(w0);
    const VoiceFields fields{ump::channel(w0) + 1,   d1, double(d2), double(d2), double(d1), d1,
                             double(ump::data14(w0))};
    const VoiceBuilder build = voiceBuilder(ump::opcode(w0));
    if (!build) {
        status.reset();
        return std::nullopt;
    }
    return build({fields, midi1Scale, level, status});
}

Spoken midi2Text(const MIDIMessage& message, TTSLevel level, Status& status) {
    if (message.words.size() < 2) return std::nullopt;
    const std::uint32_t w0 = message.words[0];
    const std::uint32_t w = message.words[1];
    const VoiceFields fields{ump::channel(w0) + 1,
                             ump::byte3(w0),
                             double(ump::midi2::velocity(w)),
                             double(w),
                             double(w),
                             ump::midi2::program(w),
                             double(w)};
    const VoiceBuilder build = voiceBuilder(ump::opcode(w0));
    if (!build) {
        status.reset();
        if (level == TTSLevel::short_) return "MIDI 2.0 Channel Voice";
        return withSpokenUMP(message.description);
    }
    return build({fields, midi2Scale, level, status});
}

// System -------------------------------------------------------------------------------------

enum class SystemNumber { none, data1, songPosition };
struct SystemSpoken {
    std::string_view shortText; // empty: silent
    std::string_view verboseText;
    SystemNumber number; // spoken after the verbose text
};
// Indexed by status - 0xF0. Clock and active sensing are silenced before they get here.
constexpr std::array<SystemSpoken, 16> systemSpoken{{
    {"", "", SystemNumber::none},
    {"Quarter Frame", "MIDI Time Code Quarter Frame ", SystemNumber::data1},
    {"Song Position", "Song Position Pointer ", SystemNumber::songPosition},
    {"Song Select", "Song Select ", SystemNumber::data1},
    {"", "", SystemNumber::none},
    {"", "", SystemNumber::none},
    {"Tune Request", "Tune Request", SystemNumber::none},
    {"", "", SystemNumber::none},
    {"", "", SystemNumber::none},
    {"", "", SystemNumber::none},
    {"Start", "Start", SystemNumber::none},
    {"Continue", "Continue", SystemNumber::none},
    {"Stop", "Stop", SystemNumber::none},
    {"", "", SystemNumber::none},
    {"", "", SystemNumber::none},
    {"Reset", "Reset", SystemNumber::none},
}};

Spoken systemText(const MIDIMessage& message, TTSLevel level) {
    if (message.words.empty()) return std::nullopt;
    const std::uint32_t w0 = message.words[0];
    const std::uint8_t status = ump::systemStatus(w0);
    if (status < 0xF0) return std::nullopt;
    const SystemSpoken& entry = systemSpoken[status - 0xF0u];
    if (entry.shortText.empty()) return std::nullopt;
    if (level == TTSLevel::short_) return std::string(entry.shortText);
    std::string out(entry.verboseText);
    switch (entry.number) {
    case SystemNumber::none:
        break;
    case SystemNumber::data1:
        appendInt(out, ump::data1(w0));
        break;
    case SystemNumber::songPosition:
        appendInt(out, ump::data14(w0));
        break;
    }
    return out;
}

} // namespace

std::optional<std::string_view> controllerName(int controller) {
    for (const auto& entry : controllerNames)
        if (entry.number == controller) return entry.name;
    return std::nullopt;
}

std::string withSpokenUMP(std::string_view text) {
    static constexpr std::string_view ump = "UMP";
    std::string out;
    out.reserve(text.size() + 8);
    std::size_t from = 0;
    for (auto at = text.find(ump); at != std::string_view::npos; at = text.find(ump, from)) {
        out += text.substr(from, at - from);
        out += "U. M. Pea";
        from = at + ump.size();
    }
    out += text.substr(from);
    return out;
}

std::string panText(double value, double centre, double maximum, bool shortForm) {
    if (value == centre) return "Center";
    std::string out;
    if (value < centre) {
        out = "Left ";
        appendSpokenPercent(out, belowCentre(value, centre), shortForm);
    } else {
        out = "Right ";
        appendSpokenPercent(out, aboveCentre(value, centre, maximum), shortForm);
    }
    return out;
}

std::string controlChangeText(int controller, double value, double centre, double maximum,
                              int channel, TTSLevel level) {
    const bool shortForm = level == TTSLevel::short_;
    std::string out = "CC";
    if (controller == 10) {
        out = "Pan ";
        out += panText(value, centre, maximum, shortForm);
        if (!shortForm) appendChannel(out, channel);
        return out;
    }
    appendInt(out, controller);
    out += ' ';
    const double percent = percentOf(value, maximum);
    if (shortForm) {
        appendTruncated(out, percent);
        return out;
    }
    if (controller == 64) {
        out += "Sustain ";
        appendSpokenPercent(out, percent, false);
        out += percent >= 50 ? " On" : " Off";
        return out;
    }
    if (const auto name = controllerName(controller)) {
        out += *name;
        out += ' ';
    }
    appendSpokenPercent(out, percent, false);
    appendChannel(out, channel);
    return out;
}

std::string pitchBendText(double value, double centre, double maximum, int channel,
                          TTSLevel level) {
    const bool shortForm = level == TTSLevel::short_;
    std::string out = shortForm ? "Bend " : "Pitch Bend ";
    if (value == centre) {
        out += "Center";
    } else if (value < centre) {
        out += '-';
        appendSpokenPercent(out, belowCentre(value, centre), shortForm);
    } else {
        out += '+';
        appendSpokenPercent(out, aboveCentre(value, centre, maximum), shortForm);
    }
    if (!shortForm) appendChannel(out, channel);
    return out;
}

std::optional<std::string> spokenText(const MIDIMessage& message, TTSLevel level,
                                      std::optional<RunningVoiceStatus>& status) {
    if (level == TTSLevel::off) return std::nullopt;
    // Utility, clock and active sensing stay silent and never break a run of note-ons.
    if (message.messageType == UMPMessageType::utility) return std::nullopt;
    if (isActiveSensing(message) || isMidiClock(message)) return std::nullopt;
    const bool shortForm = level == TTSLevel::short_;
    switch (message.messageType) {
    case UMPMessageType::midi2ChannelVoice:
        return midi2Text(message, level, status);
    case UMPMessageType::data64:
    case UMPMessageType::data128:
        status.reset();
        return shortForm ? "Siss-Ex" : "System Exclusive";
    case UMPMessageType::system:
        status.reset();
        return systemText(message, level);
    case UMPMessageType::midi1ChannelVoice:
        return midi1Text(message, level, status);
    default:
        status.reset();
        return withSpokenUMP(shortForm ? displayName(message.messageType)
                                       : std::string_view(message.description));
    }
}

} // namespace umbrascope
