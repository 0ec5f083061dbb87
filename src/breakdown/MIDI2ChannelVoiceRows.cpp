#include "breakdown/MIDI2ChannelVoiceRows.hpp"

#include <array>
#include <string>

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/CommonRows.hpp"
#include "breakdown/ValueText.hpp"
#include "core/Hex.hpp"
#include "model/StatusCodes.hpp"
#include "model/fields/MIDI2Fields.hpp"
#include "text/Formatters.hpp"
#include "text/names/ChannelVoiceNames.hpp"

namespace umbrascope {

namespace {

// What w0 digits 4 to 5 show.
enum class Byte3Text { note, controllerNumber, bank, reserved, reservedWithByte4 };
// What w0 digits 6 to 7 show (nothing when byte 3 took both bytes).
enum class Byte4Text {
    attributeType,
    controllerIndex,
    index,
    reserved,
    optionFlags,
    bankValidFlag,
    none
};
// What w1 shows.
enum class Word1Text {
    velocityAndAttribute,
    pressure,
    value,
    relativeValue,
    reserved,
    program,
    bend
};

struct MIDI2Layout {
    Byte3Text byte3 = Byte3Text::reserved;
    Byte4Text byte4 = Byte4Text::none;
    Word1Text word1 = Word1Text::reserved;
};

// Indexed by opcode; the opcodes without a name have no layout.
constexpr std::array<MIDI2Layout, 16> midi2Layouts{{
    {Byte3Text::note, Byte4Text::controllerIndex, Word1Text::value},
    {Byte3Text::note, Byte4Text::controllerIndex, Word1Text::value},
    {Byte3Text::bank, Byte4Text::index, Word1Text::value},
    {Byte3Text::bank, Byte4Text::index, Word1Text::value},
    {Byte3Text::bank, Byte4Text::index, Word1Text::relativeValue},
    {Byte3Text::bank, Byte4Text::index, Word1Text::relativeValue},
    {},
    {},
    {Byte3Text::note, Byte4Text::attributeType, Word1Text::velocityAndAttribute},
    {Byte3Text::note, Byte4Text::attributeType, Word1Text::velocityAndAttribute},
    {Byte3Text::note, Byte4Text::reserved, Word1Text::pressure},
    {Byte3Text::controllerNumber, Byte4Text::reserved, Word1Text::value},
    {Byte3Text::reserved, Byte4Text::bankValidFlag, Word1Text::program},
    {Byte3Text::reservedWithByte4, Byte4Text::none, Word1Text::pressure},
    {Byte3Text::reservedWithByte4, Byte4Text::none, Word1Text::bend},
    {Byte3Text::note, Byte4Text::optionFlags, Word1Text::reserved},
}};

enum class AttributeKind {
    none,
    pianoKeyVelocity,
    orchestralArticulation,
    orchestralReserved,
    orchestralCustom,
    drumsDefaultModel,
    drumsExcitation,
    other,
};

struct AttributeRange {
    int first;
    int last;
    AttributeKind kind;
};

// The first range that holds the attribute type applies; every other type is `other`.
constexpr std::array<AttributeRange, 7> attributeRanges{{
    {0, 0, AttributeKind::none},
    {4, 4, AttributeKind::pianoKeyVelocity},
    {16, 23, AttributeKind::orchestralArticulation},
    {24, 25, AttributeKind::orchestralReserved},
    {26, 31, AttributeKind::orchestralCustom},
    {32, 32, AttributeKind::drumsDefaultModel},
    {33, 33, AttributeKind::drumsExcitation},
}};

AttributeKind attributeKind(int attributeType) {
    for (const auto& range : attributeRanges)
        if (attributeType >= range.first && attributeType <= range.last) return range.kind;
    return AttributeKind::other;
}

std::string byte3Label(Byte3Text text, std::uint32_t w0) {
    switch (text) {
    case Byte3Text::note:
        return "Note Number = " + noteName(ump::byte3(w0));
    case Byte3Text::controllerNumber:
        return "Controller Number = " + std::to_string(ump::byte3(w0));
    case Byte3Text::bank:
        return "Bank = " + std::to_string(ump::byte3(w0));
    case Byte3Text::reserved:
    case Byte3Text::reservedWithByte4:
        break;
    }
    return "Reserved";
}

std::string byte4Label(Byte4Text text, std::uint32_t w0, const std::string& attributeTypeText) {
    switch (text) {
    case Byte4Text::attributeType:
        return "Attribute Type = " + attributeTypeText;
    case Byte4Text::controllerIndex:
        return "Controller Index = " + std::to_string(ump::byte4(w0));
    case Byte4Text::index:
        return "Index = " + std::to_string(ump::byte4(w0));
    case Byte4Text::optionFlags:
        return "Option Flags = 0x" + hex::text(ump::midi2::optionFlags(w0), 2);
    case Byte4Text::bankValidFlag:
        return ump::midi2::bankValid(w0) ? "Bank Valid Flag = 1 (Bank included)"
                                         : "Bank Valid Flag = 0 (Bank not included)";
    case Byte4Text::reserved:
    case Byte4Text::none:
        break;
    }
    return "Reserved";
}

// The single row over all of w1, for the layouts that have one.
std::string word1Label(Word1Text text, std::uint32_t w1) {
    switch (text) {
    case Word1Text::pressure:
        return "Pressure = " + valueOf32Bits(w1);
    case Word1Text::value:
        return "Value = " + valueOf32Bits(w1);
    case Word1Text::relativeValue:
        return "Relative Value = " + std::to_string(ump::midi2::relativeValue(w1));
    case Word1Text::bend:
        return "Bend Value = " + centeredPercent(w1, ump::ranges::centre32, ump::ranges::max32);
    case Word1Text::reserved:
    case Word1Text::velocityAndAttribute:
    case Word1Text::program:
        break;
    }
    return "Reserved";
}

void appendProgramRows(std::vector<FieldRow>& rows, std::uint32_t w0, std::uint32_t w1) {
    static constexpr DigitSpan spans[] = {{0, 2}, {2, 4}, {4, 6}, {6, 8}};
    auto hex = hexSpans(w1, spans);
    const bool bank = ump::midi2::bankValid(w0);
    rows.push_back(FieldRow::withHex(
        std::move(hex[0]), "Program Number = " + std::to_string(ump::midi2::program(w1))));
    rows.push_back(FieldRow::withHex(std::move(hex[1]), "Reserved"));
    rows.push_back(FieldRow::withHex(std::move(hex[2]),
                                     bank ? "Bank MSB = " + std::to_string(ump::midi2::bankMsb(w1))
                                          : "Bank MSB — not used"));
    rows.push_back(FieldRow::withHex(std::move(hex[3]),
                                     bank ? "Bank LSB = " + std::to_string(ump::midi2::bankLsb(w1))
                                          : "Bank LSB — not used"));
}

} // namespace

AttributeFields attributeFields(std::uint8_t attributeType, std::uint16_t data) {
    switch (attributeKind(attributeType)) {
    case AttributeKind::none:
        return {"No Attribute Data", "none", {}};
    case AttributeKind::pianoKeyVelocity:
        return {"Key Velocity (Piano Profile)", "Key Velocity = " + percentOf16Bits(data), {}};
    case AttributeKind::orchestralArticulation:
        return orchestralArticulationFields(attributeType, data);
    case AttributeKind::orchestralReserved:
        return {"Reserved (Orchestral Articulation Profile)", std::to_string(data), {}};
    case AttributeKind::orchestralCustom:
        return {"Custom / Library / Device-Specific Sound (Orchestral Articulation Profile)",
                std::to_string(data),
                {}};
    case AttributeKind::drumsDefaultModel:
        return drumsNoteModelFields(data);
    case AttributeKind::drumsExcitation:
        return {"Alternate Note Model: Excitation (Drums Profile)",
                "not defined by the Drums Profile — see Excitation Per-Note Controller",
                {}};
    case AttributeKind::other:
        break;
    }
    return {std::to_string(attributeType), std::to_string(data), {}};
}

std::vector<FieldRow> midi2ChannelVoiceRows(std::span<const std::uint32_t> words) {
    if (words.size() < 2) return {};
    const std::uint32_t w0 = words[0];
    const std::uint32_t w1 = words[1];
    static constexpr DigitSpan spans[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 6}, {6, 8}};
    auto hex = hexSpans(w0, spans);

    std::vector<FieldRow> rows;
    rows.reserve(10);
    rows.push_back(
        FieldRow::withHex(std::move(hex[0]), "Message Type = 4, MIDI 2.0 Channel Voice Message"));
    rows.push_back(groupRow(w0, std::move(hex[1])));

    const std::uint8_t opcode = ump::opcode(w0);
    const std::string_view name = names::midi2OpcodeName(opcode);
    if (name.empty()) {
        rows.push_back(unrecognizedStatusRow(std::move(hex[2])));
        rows.push_back(channelRow(w0, std::move(hex[3])));
        rows.push_back(FieldRow::withHex(hex[4] + hex[5], "Data"));
        rows.push_back(FieldRow::withHex(hexDigits(w1, 0, 8), "Data"));
        return rows;
    }

    const MIDI2Layout& layout = midi2Layouts[opcode];
    rows.push_back(FieldRow::withHex(std::move(hex[2]), std::string(name)));
    rows.push_back(channelRow(w0, std::move(hex[3])));

    AttributeFields attribute;
    if (layout.word1 == Word1Text::velocityAndAttribute)
        attribute = attributeFields(ump::midi2::attributeType(w0), ump::midi2::attributeData(w1));

    if (layout.byte3 == Byte3Text::reservedWithByte4) {
        rows.push_back(FieldRow::withHex(hex[4] + hex[5], "Reserved"));
    } else {
        rows.push_back(FieldRow::withHex(std::move(hex[4]), byte3Label(layout.byte3, w0)));
        rows.push_back(
            FieldRow::withHex(std::move(hex[5]), byte4Label(layout.byte4, w0, attribute.typeText)));
    }

    switch (layout.word1) {
    case Word1Text::velocityAndAttribute: {
        static constexpr DigitSpan halves[] = {{0, 4}, {4, 8}};
        auto w1Hex = hexSpans(w1, halves);
        rows.push_back(FieldRow::withHex(
            std::move(w1Hex[0]), "Velocity = " + percentOf16Bits(ump::midi2::velocity(w1))));
        rows.push_back(FieldRow::withHex(std::move(w1Hex[1]),
                                         "Attribute Data " + attribute.dataText,
                                         std::move(attribute.subRows)));
        break;
    }
    case Word1Text::program:
        appendProgramRows(rows, w0, w1);
        break;
    default:
        rows.push_back(FieldRow::withHex(hexDigits(w1, 0, 8), word1Label(layout.word1, w1)));
    }
    return rows;
}

} // namespace umbrascope
