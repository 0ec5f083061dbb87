#include "text/Description.hpp"

#include <array>
#include <string_view>

#include "core/Hex.hpp"
#include "model/Fields.hpp"
#include "model/StatusCodes.hpp"
#include "model/fields/CoreFields.hpp"
#include "model/fields/FlexDataFields.hpp"
#include "model/fields/MIDI2Fields.hpp"
#include "model/fields/SysExFields.hpp"
#include "model/fields/UMPStreamFields.hpp"
#include "text/Formatters.hpp"
#include "text/TextAppend.hpp"
#include "text/names/ChannelVoiceNames.hpp"
#include "text/names/DataNames.hpp"
#include "text/names/FlexDataNames.hpp"
#include "text/names/StreamNames.hpp"
#include "text/names/SystemNames.hpp"
#include "text/names/UtilityNames.hpp"

namespace umbrascope {
namespace {

using text::appendInt;
using text::appendValuePercent;
namespace ranges = ump::ranges;
namespace opcodes = ump::opcodes;

void appendGroupSuffix(std::string& out, int group) {
    out += text::emDash;
    out += "Grp ";
    appendInt(out, group);
}

void appendChannelSuffix(std::string& out, std::uint32_t w0, int group) {
    out += text::emDash;
    out += "Ch ";
    appendInt(out, ump::channel(w0) + 1);
    out += ", Grp ";
    appendInt(out, group);
}

std::string startWith(std::string_view text, std::size_t extra = 24) {
    std::string out;
    out.reserve(text.size() + extra);
    out += text;
    return out;
}

// Channel voice bodies shared by both protocols, each after the opcode's name ------------------

// ": {note}, {what} {value} ({percent}%)"
void appendNoteValue(std::string& out, int note, std::string_view what, std::uint32_t value,
                     double maximum) {
    out += ": ";
    out += noteDisplayName(note);
    out += what;
    appendValuePercent(out, value, maximum);
}

// ": {controller} = {value}"; pan is shown as a side of the centre.
void appendControlChange(std::string& out, int controller, std::uint32_t value, double centre,
                         double maximum) {
    out += ": ";
    out += controllerDisplayName(controller);
    out += " = ";
    if (controller == ump::controllers::pan)
        out += panDisplayText(value, centre, maximum);
    else
        appendValuePercent(out, value, maximum);
}

void appendChannelPressure(std::string& out, std::uint32_t value, double maximum) {
    out += ": pressure ";
    appendValuePercent(out, value, maximum);
}

void appendPitchBend(std::string& out, std::uint32_t value, double centre, double maximum) {
    out += ": ";
    out += centeredPercent(value, centre, maximum);
}

void appendProgram(std::string& out, int program) {
    out += ": program ";
    appendInt(out, program);
}

void appendFallback(std::string& out, std::string_view family, std::uint8_t opcode) {
    out += family;
    out += ", status 0x";
    hex::append(out, opcode, 1);
}

// MIDI 1.0 channel voice: one body per opcode ------------------------------------------------

void midi1Body(std::string& out, std::uint32_t w0) {
    const std::uint8_t d1 = ump::data1(w0);
    const std::uint8_t d2 = ump::data2(w0);
    switch (ump::opcode(w0)) {
    case opcodes::noteOff:
    case opcodes::noteOn:
        return appendNoteValue(out, d1, ", velocity ", d2, ranges::max7);
    case opcodes::polyPressure:
        return appendNoteValue(out, d1, ", pressure ", d2, ranges::max7);
    case opcodes::controlChange:
        return appendControlChange(out, d1, d2, ranges::centre7, ranges::max7);
    case opcodes::programChange:
        return appendProgram(out, d1);
    case opcodes::channelPressure:
        return appendChannelPressure(out, d1, ranges::max7);
    case opcodes::pitchBend:
        return appendPitchBend(out, ump::data14(w0), ranges::centre14, ranges::max14);
    default:
        return;
    }
}

// MIDI 2.0 channel voice: one body per opcode ------------------------------------------------

// " {bank}/{index}: "
void appendBankIndex(std::string& out, std::uint32_t w0) {
    out += ' ';
    appendInt(out, ump::byte3(w0));
    out += '/';
    appendInt(out, ump::byte4(w0));
    out += ": ";
}

void midi2Body(std::string& out, std::uint32_t w0, std::uint32_t w1) {
    const std::uint8_t note = ump::byte3(w0);
    switch (ump::opcode(w0)) {
    case opcodes::registeredPerNoteController:
    case opcodes::assignablePerNoteController:
        out += ' ';
        appendInt(out, ump::byte4(w0));
        out += " on ";
        out += noteDisplayName(note);
        out += ": ";
        return appendValuePercent(out, w1, ranges::max32);
    case opcodes::registeredController:
    case opcodes::assignableController:
        appendBankIndex(out, w0);
        return appendValuePercent(out, w1, ranges::max32);
    case opcodes::relativeRegisteredController:
    case opcodes::relativeAssignableController:
        appendBankIndex(out, w0);
        return appendInt(out, ump::midi2::relativeValue(w1));
    // A velocity of 0 stays a Note On in MIDI 2.0.
    case opcodes::noteOff:
    case opcodes::noteOn:
        return appendNoteValue(out, note, ", velocity ", ump::midi2::velocity(w1), ranges::max16);
    case opcodes::polyPressure:
        return appendNoteValue(out, note, ", pressure ", w1, ranges::max32);
    case opcodes::controlChange:
        return appendControlChange(out, note, w1, ranges::centre32, ranges::max32);
    case opcodes::programChange:
        appendProgram(out, ump::midi2::program(w1));
        if (!ump::midi2::bankValid(w0)) return;
        out += ", bank ";
        appendInt(out, ump::midi2::bankMsb(w1));
        out += '/';
        return appendInt(out, ump::midi2::bankLsb(w1));
    case opcodes::channelPressure:
        return appendChannelPressure(out, w1, ranges::max32);
    case opcodes::pitchBend:
        return appendPitchBend(out, w1, ranges::centre32, ranges::max32);
    case opcodes::perNoteManagement:
        out += ": ";
        out += noteDisplayName(note);
        out += ", flags 0x";
        return hex::append(out, ump::midi2::optionFlags(w0), 2);
    default:
        return;
    }
}

// Flex Data ----------------------------------------------------------------------------------

void appendFlexKind(std::string& out, std::uint8_t bank, std::uint8_t status) {
    switch (bank) {
    case ump::flexBanks::setupAndPerformance:
        if (const auto name = names::tableText(names::flexSetupStatuses, status, "");
            !name.empty()) {
            out += name;
        } else {
            out += "setup/performance event, status 0x";
            hex::append(out, status, 2);
        }
        return;
    case ump::flexBanks::metadataText:
        out += flexTextEventName(bank, status).value_or("metadata text event");
        return;
    case ump::flexBanks::performanceText:
        out += flexTextEventName(bank, status).value_or("performance text event");
        return;
    default:
        out += "message (bank 0x";
        hex::append(out, bank, 2);
        out += ')';
    }
}

} // namespace

std::string describeUtility(std::uint32_t w0) {
    const std::uint8_t status = ump::opcode(w0);
    if (status >= names::utilityStatuses.size()) {
        std::string out = startWith("Utility message (status ");
        appendInt(out, status);
        out += ')';
        return out;
    }
    const auto& entry = names::utilityStatuses[status];
    std::string out = startWith(entry.description);
    if (entry.withTimestamp) {
        out += ": ";
        appendInt(out, ump::low16(w0));
    }
    return out;
}

std::string describeSystem(std::uint32_t w0, int group) {
    const std::uint8_t status = ump::systemStatus(w0);
    const names::SystemStatusNames* entry = names::systemStatusNames(status);
    if (entry == nullptr) {
        std::string out = startWith("System message, status 0x", 32);
        hex::append(out, status, 2);
        appendGroupSuffix(out, group);
        return out;
    }
    std::string out = startWith(entry->name);
    if (entry->number != names::SystemNumber::none) {
        out += ": ";
        out += entry->numberLabel;
        appendInt(out,
                  entry->number == names::SystemNumber::data14 ? ump::data14(w0) : ump::data1(w0));
    }
    appendGroupSuffix(out, group);
    return out;
}

std::string describeMIDI1ChannelVoice(std::uint32_t w0, int group) {
    std::string out;
    out.reserve(80);
    const std::uint8_t opcode = ump::opcode(w0);
    if (opcode == opcodes::noteOn && ump::data2(w0) == 0) {
        out += names::opcodes[opcodes::noteOff].name;
        out += " (";
        out += names::opcodes[opcodes::noteOn].name;
        out += ", velocity 0): ";
        out += noteDisplayName(ump::data1(w0));
    } else if (const auto name = names::midi1OpcodeName(opcode); !name.empty()) {
        out += name;
        midi1Body(out, w0);
    } else {
        appendFallback(out, "MIDI 1.0 Channel Voice", opcode);
    }
    appendChannelSuffix(out, w0, group);
    return out;
}

std::string describeData64(std::uint32_t w0, int group) {
    std::string out = startWith(
        names::tableText(names::sysEx7Statuses, ump::sysex::status(w0), "SysEx fragment"), 32);
    out += ", ";
    appendInt(out, ump::sysex::byteCount(w0));
    out += " data byte(s)";
    appendGroupSuffix(out, group);
    return out;
}

std::string describeMIDI2ChannelVoice(const PacketWords& packet, int group) {
    const std::uint32_t w0 = packet.wordOrZero(0);
    std::string out;
    out.reserve(96);
    const std::uint8_t opcode = ump::opcode(w0);
    if (const auto name = names::midi2OpcodeName(opcode); !name.empty()) {
        out += name;
        midi2Body(out, w0, packet.wordOrZero(1));
    } else {
        appendFallback(out, "MIDI 2.0 Channel Voice", opcode);
    }
    appendChannelSuffix(out, w0, group);
    return out;
}

std::string describeData128(std::uint32_t w0, int group) {
    const std::uint8_t status = ump::sysex::status(w0);
    const std::string_view name = names::tableText(names::sysEx8Statuses, status, "");
    std::string out;
    if (name.empty()) {
        out = startWith("Data (8-bit) message, status 0x", 32);
        hex::append(out, status, 1);
    } else {
        out = startWith(name);
    }
    appendGroupSuffix(out, group);
    return out;
}

std::string describeFlexData(std::uint32_t w0, int group) {
    std::string out = startWith(names::flexForms[ump::flex::form(w0)].description, 64);
    out += ": ";
    appendFlexKind(out, ump::flex::bank(w0), ump::flex::status(w0));
    appendGroupSuffix(out, group);
    return out;
}

std::string describeUMPStream(std::uint32_t w0) {
    const std::uint16_t status = ump::stream::status(w0);
    if (const auto name = names::streamStatusName(status); !name.empty()) return std::string(name);
    std::string out = startWith("UMP Stream message, status 0x");
    hex::append(out, status, 1);
    return out;
}

std::string describePacket(const PacketWords& packet, UMPMessageType type) {
    if (packet.empty()) return std::string(unrecognizedMessageType);
    const std::uint32_t w0 = packet[0];
    const int group = ump::group(w0) + 1;
    switch (type) {
    case UMPMessageType::utility:
        return describeUtility(w0);
    case UMPMessageType::system:
        return describeSystem(w0, group);
    case UMPMessageType::midi1ChannelVoice:
        return describeMIDI1ChannelVoice(w0, group);
    case UMPMessageType::data64:
        return describeData64(w0, group);
    case UMPMessageType::midi2ChannelVoice:
        return describeMIDI2ChannelVoice(packet, group);
    case UMPMessageType::data128:
        return describeData128(w0, group);
    case UMPMessageType::flexData:
        return describeFlexData(w0, group);
    case UMPMessageType::umpStream:
        return describeUMPStream(w0);
    case UMPMessageType::unknown:
        break;
    }
    return std::string(unrecognizedMessageType);
}

} // namespace umbrascope
