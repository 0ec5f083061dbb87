#include "text/Description.hpp"

#include <array>
#include <string_view>

#include "core/Hex.hpp"
#include "model/Fields.hpp"
#include "model/fields/CoreFields.hpp"
#include "model/fields/FlexDataFields.hpp"
#include "model/fields/Midi2Fields.hpp"
#include "model/fields/SysExFields.hpp"
#include "model/fields/UmpStreamFields.hpp"
#include "text/Formatters.hpp"
#include "text/TextAppend.hpp"

namespace umbrascope {
namespace {

using text::appendFixed2;
using text::appendInt;
using text::appendValuePercent;
using text::emDash;

constexpr double max7 = 127.0;
constexpr double max16 = 65535.0;
constexpr double max32 = 4294967295.0;
constexpr double centre32 = 2147483648.0;

void appendGroupSuffix(std::string& out, int group) {
    out += emDash;
    out += "Grp ";
    appendInt(out, group);
}

void appendChannelSuffix(std::string& out, std::uint32_t w0, int group) {
    out += emDash;
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

// Utility ------------------------------------------------------------------------------------

struct UtilityText {
    std::string_view text;
    bool withTimestamp;
};
constexpr std::array<UtilityText, 5> utilityTexts{{
    {"No Operation (NOOP)", false},
    {"JR Clock timestamp: ", true},
    {"JR Timestamp: ", true},
    {"Delta Clockstamp Ticks Per Quarter Note", false},
    {"Delta Clockstamp", false},
}};

// System -------------------------------------------------------------------------------------

enum class SystemData { none, quarterFrame, songPosition, songSelect };
struct SystemText {
    std::string_view text; // empty: no text of its own
    SystemData data;
};
// Indexed by status - 0xF0.
constexpr std::array<SystemText, 16> systemTexts{{
    {"", SystemData::none},
    {"MIDI Time Code Quarter Frame: ", SystemData::quarterFrame},
    {"Song Position Pointer: ", SystemData::songPosition},
    {"Song Select: song ", SystemData::songSelect},
    {"", SystemData::none},
    {"", SystemData::none},
    {"Tune Request", SystemData::none},
    {"", SystemData::none},
    {"Timing Clock", SystemData::none},
    {"", SystemData::none},
    {"Start", SystemData::none},
    {"Continue", SystemData::none},
    {"Stop", SystemData::none},
    {"", SystemData::none},
    {"Active Sensing", SystemData::none},
    {"System Reset", SystemData::none},
}};

// MIDI 1.0 channel voice: one body builder per opcode -------------------------------------

using Midi1Body = void (*)(std::string&, std::uint32_t w0);

void midi1NoteVelocity(std::string& out, std::string_view kind, std::uint32_t w0) {
    out += kind;
    out += noteDisplayName(ump::data1(w0));
    out += ", velocity ";
    appendValuePercent(out, ump::data2(w0), max7);
}
void midi1NoteOff(std::string& out, std::uint32_t w0) {
    midi1NoteVelocity(out, "Note Off: ", w0);
}
void midi1NoteOn(std::string& out, std::uint32_t w0) {
    if (ump::data2(w0) == 0) {
        out += "Note Off (Note On, velocity 0): ";
        out += noteDisplayName(ump::data1(w0));
        return;
    }
    midi1NoteVelocity(out, "Note On: ", w0);
}
void midi1PolyPressure(std::string& out, std::uint32_t w0) {
    out += "Polyphonic Aftertouch: ";
    out += noteDisplayName(ump::data1(w0));
    out += ", pressure ";
    appendValuePercent(out, ump::data2(w0), max7);
}
void midi1ControlChange(std::string& out, std::uint32_t w0) {
    out += "Control Change: ";
    if (ump::data1(w0) == 10) {
        out += "Pan (CC10) = ";
        out += panDisplayText(ump::data2(w0), 64, max7);
        return;
    }
    out += controllerDisplayName(ump::data1(w0));
    out += " = ";
    appendValuePercent(out, ump::data2(w0), max7);
}
void midi1ProgramChange(std::string& out, std::uint32_t w0) {
    out += "Program Change: program ";
    appendInt(out, ump::data1(w0));
}
void midi1ChannelPressure(std::string& out, std::uint32_t w0) {
    out += "Channel Aftertouch: pressure ";
    appendValuePercent(out, ump::data1(w0), max7);
}
void midi1PitchBend(std::string& out, std::uint32_t w0) {
    out += "Pitch Bend: ";
    out += centeredPercent(ump::data14(w0), 8192, 16383);
}
void midi1Fallback(std::string& out, std::uint32_t w0) {
    out += "MIDI 1.0 Channel Voice, status 0x";
    hex::append(out, ump::opcode(w0), 1);
}

constexpr std::array<Midi1Body, 16> midi1Bodies{
    midi1Fallback,      midi1Fallback,        midi1Fallback,     midi1Fallback,
    midi1Fallback,      midi1Fallback,        midi1Fallback,     midi1Fallback,
    midi1NoteOff,       midi1NoteOn,          midi1PolyPressure, midi1ControlChange,
    midi1ProgramChange, midi1ChannelPressure, midi1PitchBend,    midi1Fallback,
};

// MIDI 2.0 channel voice: one body builder per opcode -------------------------------------

struct Midi2Fields {
    std::uint32_t w0;
    std::uint32_t data; // word 1, or 0 when the packet ended after word 0
};
using Midi2Body = void (*)(std::string&, const Midi2Fields&);

void appendData32(std::string& out, std::uint32_t data) {
    appendValuePercent(out, data, max32);
}

void appendBankIndex(std::string& out, const Midi2Fields& f) {
    appendInt(out, ump::byte3(f.w0));
    out += '/';
    appendInt(out, ump::byte4(f.w0));
    out += ": ";
}

void midi2PerNoteController(std::string& out, std::string_view kind, const Midi2Fields& f) {
    out += kind;
    appendInt(out, ump::byte4(f.w0));
    out += " on ";
    out += noteDisplayName(ump::byte3(f.w0));
    out += ": ";
    appendData32(out, f.data);
}
void midi2RegisteredPerNote(std::string& out, const Midi2Fields& f) {
    midi2PerNoteController(out, "Registered Per-Note Controller ", f);
}
void midi2AssignablePerNote(std::string& out, const Midi2Fields& f) {
    midi2PerNoteController(out, "Assignable Per-Note Controller ", f);
}
void midi2Registered(std::string& out, const Midi2Fields& f) {
    out += "Registered Controller (RPN) ";
    appendBankIndex(out, f);
    appendData32(out, f.data);
}
void midi2Assignable(std::string& out, const Midi2Fields& f) {
    out += "Assignable Controller (NRPN) ";
    appendBankIndex(out, f);
    appendData32(out, f.data);
}
void midi2RelativeRegistered(std::string& out, const Midi2Fields& f) {
    out += "Relative Registered Controller ";
    appendBankIndex(out, f);
    appendInt(out, ump::midi2::relativeValue(f.data));
}
void midi2RelativeAssignable(std::string& out, const Midi2Fields& f) {
    out += "Relative Assignable Controller ";
    appendBankIndex(out, f);
    appendInt(out, ump::midi2::relativeValue(f.data));
}
void midi2NoteVelocity(std::string& out, std::string_view kind, const Midi2Fields& f) {
    out += kind;
    out += noteDisplayName(ump::byte3(f.w0));
    out += ", velocity ";
    appendValuePercent(out, ump::midi2::velocity(f.data), max16);
}
void midi2NoteOff(std::string& out, const Midi2Fields& f) {
    midi2NoteVelocity(out, "Note Off: ", f);
}
// A velocity of 0 stays a Note On in MIDI 2.0.
void midi2NoteOn(std::string& out, const Midi2Fields& f) {
    midi2NoteVelocity(out, "Note On: ", f);
}
void midi2PolyPressure(std::string& out, const Midi2Fields& f) {
    out += "Polyphonic Aftertouch: ";
    out += noteDisplayName(ump::byte3(f.w0));
    out += ", pressure ";
    appendData32(out, f.data);
}
void midi2ControlChange(std::string& out, const Midi2Fields& f) {
    out += "Control Change: ";
    if (ump::byte3(f.w0) == 10) {
        out += "Pan (CC10) = ";
        out += panDisplayText(f.data, centre32, max32);
        return;
    }
    out += controllerDisplayName(ump::byte3(f.w0));
    out += " = ";
    appendData32(out, f.data);
}
void midi2ProgramChange(std::string& out, const Midi2Fields& f) {
    out += "Program Change: program ";
    appendInt(out, ump::midi2::program(f.data));
    if (!ump::midi2::bankValid(f.w0)) return;
    out += ", bank ";
    appendInt(out, ump::midi2::bankMsb(f.data));
    out += '/';
    appendInt(out, ump::midi2::bankLsb(f.data));
}
void midi2ChannelPressure(std::string& out, const Midi2Fields& f) {
    out += "Channel Aftertouch: pressure ";
    appendData32(out, f.data);
}
void midi2PitchBend(std::string& out, const Midi2Fields& f) {
    out += "Pitch Bend: ";
    out += centeredPercent(f.data, centre32, max32);
}
void midi2PerNoteManagement(std::string& out, const Midi2Fields& f) {
    out += "Per-Note Management: ";
    out += noteDisplayName(ump::byte3(f.w0));
    out += ", flags 0x";
    hex::append(out, ump::byte4(f.w0), 2);
}
// Per-note pitch bend (0x6) has no text of its own.
void midi2Fallback(std::string& out, const Midi2Fields& f) {
    out += "MIDI 2.0 Channel Voice, status 0x";
    hex::append(out, ump::opcode(f.w0), 1);
}

constexpr std::array<Midi2Body, 16> midi2Bodies{
    midi2RegisteredPerNote,
    midi2AssignablePerNote,
    midi2Registered,
    midi2Assignable,
    midi2RelativeRegistered,
    midi2RelativeAssignable,
    midi2Fallback,
    midi2Fallback,
    midi2NoteOff,
    midi2NoteOn,
    midi2PolyPressure,
    midi2ControlChange,
    midi2ProgramChange,
    midi2ChannelPressure,
    midi2PitchBend,
    midi2PerNoteManagement,
};

// Data ---------------------------------------------------------------------------------------

constexpr std::array<std::string_view, 4> sysEx7Kinds{
    "Complete SysEx message",
    "Start of SysEx message",
    "Continuation of SysEx message",
    "End of SysEx message",
};
constexpr std::string_view sysEx7Fragment = "SysEx fragment";

// Indexed by status; empty: no text of its own.
constexpr std::array<std::string_view, 16> data128Texts{
    "Complete SysEx8 message",
    "Start of SysEx8 message",
    "Continuation of SysEx8 message",
    "End of SysEx8 message",
    "",
    "",
    "",
    "",
    "Mixed Data Set header",
    "Mixed Data Set payload",
};

// Flex Data ----------------------------------------------------------------------------------

constexpr std::array<std::string_view, 4> flexForms{
    "Complete Flex Data",
    "Start of Flex Data",
    "Continuation of Flex Data",
    "End of Flex Data",
};
// Setup and performance events (bank 0x00), indexed by status; empty: no text of its own.
constexpr std::array<std::string_view, 7> flexSetupKinds{
    "Set Tempo", "Set Time Signature", "Set Metronome",  "",
    "",          "Set Key Signature",  "Set Chord Name",
};

void appendFlexKind(std::string& out, std::uint8_t bank, std::uint8_t status) {
    switch (bank) {
    case 0x00:
        if (status < flexSetupKinds.size() && !flexSetupKinds[status].empty()) {
            out += flexSetupKinds[status];
        } else {
            out += "setup/performance event, status 0x";
            hex::append(out, status, 2);
        }
        return;
    case 0x01:
        out += flexTextEventName(bank, status).value_or("metadata text event");
        return;
    case 0x02:
        out += flexTextEventName(bank, status).value_or("performance text event");
        return;
    default:
        out += "message (bank 0x";
        hex::append(out, bank, 2);
        out += ')';
    }
}

// UMP Stream ---------------------------------------------------------------------------------

struct StreamText {
    std::uint16_t status;
    std::string_view text;
};
constexpr std::array<StreamText, 11> streamTexts{{
    {0x000, "Endpoint Discovery request"},
    {0x001, "Endpoint Info Notification"},
    {0x002, "Device Identity Notification"},
    {0x003, "Endpoint Name Notification"},
    {0x004, "Product Instance ID Notification"},
    {0x005, "Stream Configuration Request/Notification"},
    {0x010, "Function Block Discovery request"},
    {0x011, "Function Block Info Notification"},
    {0x012, "Function Block Name Notification"},
    {0x020, "Start of Clip"},
    {0x021, "End of Clip"},
}};

} // namespace

std::string describeUtility(std::uint32_t w0) {
    const std::uint8_t status = ump::opcode(w0);
    if (status >= utilityTexts.size()) {
        std::string out = startWith("Utility message (status ");
        appendInt(out, status);
        out += ')';
        return out;
    }
    const UtilityText& entry = utilityTexts[status];
    std::string out = startWith(entry.text);
    if (entry.withTimestamp) appendInt(out, ump::low16(w0));
    return out;
}

std::string describeSystem(std::uint32_t w0, int group) {
    const std::uint8_t status = ump::systemStatus(w0);
    const SystemText entry =
        status >= 0xF0 ? systemTexts[status - 0xF0u] : SystemText{"", SystemData::none};
    if (entry.text.empty()) {
        std::string out = startWith("System message, status 0x", 32);
        hex::append(out, status, 2);
        appendGroupSuffix(out, group);
        return out;
    }
    std::string out = startWith(entry.text);
    switch (entry.data) {
    case SystemData::none:
        break;
    case SystemData::quarterFrame:
    case SystemData::songSelect:
        appendInt(out, ump::data1(w0));
        break;
    case SystemData::songPosition:
        appendInt(out, ump::data14(w0));
        break;
    }
    appendGroupSuffix(out, group);
    return out;
}

std::string describeMidi1ChannelVoice(std::uint32_t w0, int group) {
    std::string out;
    out.reserve(80);
    midi1Bodies[ump::opcode(w0)](out, w0);
    appendChannelSuffix(out, w0, group);
    return out;
}

std::string describeData64(std::uint32_t w0, int group) {
    const std::uint8_t status = ump::opcode(w0);
    std::string out =
        startWith(status < sysEx7Kinds.size() ? sysEx7Kinds[status] : sysEx7Fragment, 32);
    out += ", ";
    appendInt(out, ump::sysex::byteCount(w0));
    out += " data byte(s)";
    appendGroupSuffix(out, group);
    return out;
}

std::string describeMidi2ChannelVoice(const PacketWords& packet, int group) {
    const Midi2Fields fields{packet.wordOrZero(0), packet.wordOrZero(1)};
    std::string out;
    out.reserve(96);
    midi2Bodies[ump::opcode(fields.w0)](out, fields);
    appendChannelSuffix(out, fields.w0, group);
    return out;
}

std::string describeData128(std::uint32_t w0, int group) {
    const std::uint8_t status = ump::opcode(w0);
    const std::string_view text = status < data128Texts.size() ? data128Texts[status] : "";
    std::string out;
    if (text.empty()) {
        out = startWith("Data (8-bit) message, status 0x", 32);
        hex::append(out, status, 1);
    } else {
        out = startWith(text);
    }
    appendGroupSuffix(out, group);
    return out;
}

std::string describeFlexData(std::uint32_t w0, int group) {
    std::string out = startWith(flexForms[ump::flex::form(w0)], 64);
    out += ": ";
    appendFlexKind(out, ump::flex::bank(w0), ump::flex::status(w0));
    appendGroupSuffix(out, group);
    return out;
}

std::string describeUmpStream(std::uint32_t w0) {
    const std::uint16_t status = ump::stream::status(w0);
    for (const auto& entry : streamTexts)
        if (entry.status == status) return std::string(entry.text);
    std::string out = startWith("UMP Stream message, status 0x");
    hex::append(out, status, 1);
    return out;
}

std::string describePacket(const PacketWords& packet, UMPMessageType type) {
    if (packet.empty()) return "Unrecognized message type";
    const std::uint32_t w0 = packet[0];
    const int group = ump::group(w0) + 1;
    switch (type) {
    case UMPMessageType::utility:
        return describeUtility(w0);
    case UMPMessageType::system:
        return describeSystem(w0, group);
    case UMPMessageType::midi1ChannelVoice:
        return describeMidi1ChannelVoice(w0, group);
    case UMPMessageType::data64:
        return describeData64(w0, group);
    case UMPMessageType::midi2ChannelVoice:
        return describeMidi2ChannelVoice(packet, group);
    case UMPMessageType::data128:
        return describeData128(w0, group);
    case UMPMessageType::flexData:
        return describeFlexData(w0, group);
    case UMPMessageType::umpStream:
        return describeUmpStream(w0);
    case UMPMessageType::unknown:
        break;
    }
    return "Unrecognized message type";
}

} // namespace umbrascope
