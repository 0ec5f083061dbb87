#include "text/SpokenText.hpp"

#include <array>

#include "model/Fields.hpp"
#include "model/StatusCodes.hpp"
#include "model/fields/CoreFields.hpp"
#include "model/fields/MIDI2Fields.hpp"
#include "text/Formatters.hpp"
#include "text/Percent.hpp"
#include "text/TextAppend.hpp"
#include "text/names/ChannelVoiceNames.hpp"
#include "text/names/SystemNames.hpp"

namespace umbrascope {
namespace {

using text::appendFixed2;
using text::appendInt;
using text::appendTruncated;
using text::percentOf;
namespace opcodes = ump::opcodes;
namespace ranges = ump::ranges;

using Status = std::optional<RunningVoiceStatus>;
using Spoken = std::optional<std::string>;

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
constexpr VoiceScale midi1Scale{ranges::max7, ranges::max7, ranges::centre7, ranges::centre14,
                                ranges::max14};
constexpr VoiceScale midi2Scale{ranges::max16, ranges::max32, ranges::centre32, ranges::centre32,
                                ranges::max32};

struct VoiceContext {
    const VoiceFields& fields;
    const VoiceScale& scale;
    TTSLevel level;
    Status& status;
    bool shortForm() const { return level == TTSLevel::short_; }
};

using VoiceBuilder = Spoken (*)(const VoiceContext&);

std::string_view opcodeName(std::uint8_t opcode) {
    return names::opcodes[opcode].name;
}
std::string_view shortOpcodeName(std::uint8_t opcode) {
    return names::opcodes[opcode].spokenShort;
}

std::string noteOffText(const VoiceContext& c, double velocityPercent) {
    const std::string note = noteName(c.fields.index);
    if (c.shortForm()) return note + " Off";
    std::string out(opcodeName(opcodes::noteOff));
    out += ' ';
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
    std::string out(opcodeName(opcodes::noteOn));
    out += ' ';
    const std::string note = noteName(c.fields.index);
    if (c.shortForm()) return inRun ? note : out + note;
    out += note;
    out += " Velocity ";
    appendSpokenPercent(out, percentOf(c.fields.velocity, c.scale.velocityMax), false);
    appendChannel(out, c.fields.channel);
    return out;
}

Spoken polyPressure(const VoiceContext& c) {
    c.status.reset();
    std::string out;
    if (!c.shortForm()) {
        out += opcodeName(opcodes::polyPressure);
        out += ' ';
    }
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
    std::string out(c.shortForm() ? shortOpcodeName(opcodes::programChange)
                                  : opcodeName(opcodes::programChange));
    out += ' ';
    appendInt(out, c.fields.program);
    if (!c.shortForm()) appendChannel(out, c.fields.channel);
    return out;
}

Spoken channelPressure(const VoiceContext& c) {
    c.status.reset();
    std::string out(c.shortForm() ? shortOpcodeName(opcodes::channelPressure)
                                  : opcodeName(opcodes::channelPressure));
    out += c.shortForm() ? " " : " Pressure ";
    appendSpokenPercent(out, percentOf(c.fields.pressure, c.scale.valueMax), c.shortForm());
    if (!c.shortForm()) appendChannel(out, c.fields.channel);
    return out;
}

Spoken pitchBend(const VoiceContext& c) {
    c.status.reset();
    return pitchBendText(c.fields.bend, c.scale.bendCentre, c.scale.bendMax, c.fields.channel,
                         c.level);
}

// Note Off to Pitch Bend; every other opcode takes the protocol's fallback.
constexpr std::array<VoiceBuilder, 7> voiceBuilders{
    noteOff, noteOn, polyPressure, controlChange, programChange, channelPressure, pitchBend,
};

VoiceBuilder voiceBuilder(std::uint8_t opcode) {
    return names::isMIDI1Opcode(opcode) ? voiceBuilders[opcode - opcodes::noteOff] : nullptr;
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
        if (level == TTSLevel::short_) return std::string(displayName(message.messageType));
        return withSpokenUMP(message.description);
    }
    return build({fields, midi2Scale, level, status});
}

// System -------------------------------------------------------------------------------------

Spoken systemText(const MIDIMessage& message, TTSLevel level) {
    if (message.words.empty()) return std::nullopt;
    const std::uint32_t w0 = message.words[0];
    const names::SystemStatusNames* entry = names::systemStatusNames(ump::systemStatus(w0));
    if (entry == nullptr || entry->spokenShort.empty()) return std::nullopt;
    if (level == TTSLevel::short_) return std::string(entry->spokenShort);
    std::string out(entry->spokenVerbose);
    if (entry->number != names::SystemNumber::none) {
        out += ' ';
        appendInt(out,
                  entry->number == names::SystemNumber::data14 ? ump::data14(w0) : ump::data1(w0));
    }
    return out;
}

} // namespace

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
        appendSpokenPercent(out, text::percentBelowCentre(value, centre), shortForm);
    } else {
        out = "Right ";
        appendSpokenPercent(out, text::percentAboveCentre(value, centre, maximum), shortForm);
    }
    return out;
}

std::string controlChangeText(int controller, double value, double centre, double maximum,
                              int channel, TTSLevel level) {
    const bool shortForm = level == TTSLevel::short_;
    const names::ControllerNames* named = names::controllerNames(controller);
    if (controller == ump::controllers::pan) {
        std::string out(named->spoken);
        out += ' ';
        out += panText(value, centre, maximum, shortForm);
        if (!shortForm) appendChannel(out, channel);
        return out;
    }
    std::string out = "CC";
    appendInt(out, controller);
    out += ' ';
    const double percent = percentOf(value, maximum);
    if (shortForm) {
        appendTruncated(out, percent);
        return out;
    }
    if (named) {
        out += named->spoken;
        out += ' ';
    }
    appendSpokenPercent(out, percent, false);
    // Sustain says which side of half way it is on instead of the channel.
    if (controller == ump::controllers::sustainPedal) {
        out += percent >= 50 ? " On" : " Off";
        return out;
    }
    appendChannel(out, channel);
    return out;
}

std::string pitchBendText(double value, double centre, double maximum, int channel,
                          TTSLevel level) {
    const bool shortForm = level == TTSLevel::short_;
    std::string out(shortForm ? shortOpcodeName(opcodes::pitchBend)
                              : opcodeName(opcodes::pitchBend));
    out += ' ';
    if (value == centre) {
        out += "Center";
    } else if (value < centre) {
        out += '-';
        appendSpokenPercent(out, text::percentBelowCentre(value, centre), shortForm);
    } else {
        out += '+';
        appendSpokenPercent(out, text::percentAboveCentre(value, centre, maximum), shortForm);
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
