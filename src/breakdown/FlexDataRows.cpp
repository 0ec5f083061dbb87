#include <array>
#include <string>
#include <string_view>

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/ChordNameRows.hpp"
#include "breakdown/CommonRows.hpp"
#include "breakdown/FlexPayload.hpp"
#include "breakdown/FlexValueNames.hpp"
#include "breakdown/ValueText.hpp"
#include "core/Hex.hpp"
#include "model/StatusCodes.hpp"
#include "text/UTF8Decoding.hpp"
#include "text/names/FlexDataNames.hpp"

namespace umbrascope {
namespace {

namespace flex = ump::flex;

using PayloadDecoder = void (*)(std::vector<FieldRow>&, FlexPacket);

std::vector<FieldRow> headerRows(std::uint32_t w0) {
    std::vector<FieldRow> rows;
    rows.reserve(25);
    rows.push_back(FieldRow::withHex(hexDigits(w0, 0, 1), "Message Type = D, Flex Data Message"));
    rows.push_back(groupRow(w0, hexDigits(w0, 1, 2)));
    const bool channelAddress = flex::address(w0) == 0;
    rows.push_back(FieldRow::withHex(
        hexDigits(w0, 2, 3), "Form = " + std::string(names::flexForms[flex::form(w0)].label) +
                                 ", Address = " + (channelAddress ? "Channel" : "Group")));
    rows.push_back(FieldRow::withHex(
        hexDigits(w0, 3, 4), channelAddress ? "Channel = " + std::to_string(ump::channel(w0) + 1)
                                            : std::string("Reserved")));
    rows.push_back(
        FieldRow::withHex(hexDigits(w0, 4, 6), "Status Bank = 0x" + hex::text(flex::bank(w0), 2)));
    rows.push_back(
        FieldRow::withHex(hexDigits(w0, 6, 8), "Status = 0x" + hex::text(flex::status(w0), 2)));
    return rows;
}

FieldRow byteRow(FlexPacket words, flex::BytePosition position, std::string_view label,
                 const std::string& valueText) {
    return FieldRow::withHex(hexAt(words, position), std::string(label) + " = " + valueText);
}

FieldRow byteRow(FlexPacket words, flex::BytePosition position, std::string_view label) {
    return byteRow(words, position, label, std::to_string(valueAt(words, position)));
}

void tempoRows(std::vector<FieldRow>& rows, FlexPacket words) {
    const std::uint32_t units = words[flex::tempoWord];
    const double bpm = units == 0 ? 0.0 : 60.0 / (units * 0.00000001);
    rows.push_back(FieldRow::withHex(
        hexDigits(units, 0, 8), "Number of 10ns Units Per Quarter Note = " + std::to_string(units) +
                                    " (" + fixed2(bpm) + " BPM)"));
}

// The note value of a denominator 2^exponent. Powers that a signed 64-bit integer cannot hold are
// written as a power rather than computed.
std::string denominatorText(std::uint8_t exponent) {
    if (exponent == 0) return "non-standard denominator";
    if (exponent >= 63) return "1/2^" + std::to_string(exponent) + " note";
    return "1/" + std::to_string(std::int64_t{1} << exponent) + " note";
}

void timeSignatureRows(std::vector<FieldRow>& rows, FlexPacket words) {
    rows.push_back(byteRow(words, flex::timeSignatureNumerator, "Numerator"));
    const std::uint8_t exponent = valueAt(words, flex::timeSignatureDenominator);
    rows.push_back(byteRow(words, flex::timeSignatureDenominator, "Denominator",
                           std::to_string(exponent) + " (" + denominatorText(exponent) + ")"));
    rows.push_back(byteRow(words, flex::thirtySecondNotesPer24Clocks,
                           "Number of 1/32 Notes per 24 MIDI Clocks"));
    rows.push_back(FieldRow::withHex(hexAt(words, flex::timeSignatureReserved), "Reserved"));
}

std::string clicksText(std::uint8_t clicks) {
    return clicks == 0 ? std::string("0 (not used)") : std::to_string(clicks);
}

void metronomeRows(std::vector<FieldRow>& rows, FlexPacket words) {
    rows.push_back(
        byteRow(words, flex::clocksPerPrimaryClick, "Number of MIDI Clocks Per Primary Click"));
    rows.push_back(byteRow(words, flex::barAccentPart1, "Bar Accent Part 1"));
    rows.push_back(byteRow(words, flex::barAccentPart2, "Bar Accent Part 2"));
    rows.push_back(byteRow(words, flex::barAccentPart3, "Bar Accent Part 3"));
    rows.push_back(byteRow(words, flex::subdivisionClicks1, "Number of Subdivision Clicks 1",
                           clicksText(valueAt(words, flex::subdivisionClicks1))));
    rows.push_back(byteRow(words, flex::subdivisionClicks2, "Number of Subdivision Clicks 2",
                           clicksText(valueAt(words, flex::subdivisionClicks2))));
}

void keySignatureRows(std::vector<FieldRow>& rows, FlexPacket words) {
    const int sharpsFlats = flex::signedNibble(valueAt(words, flex::keySharpsFlats));
    rows.push_back(FieldRow::withBits(4, "Sharps/Flats = " + std::to_string(sharpsFlats) + " " +
                                             flexnames::sharpsFlatsText(sharpsFlats)));
    const std::uint8_t tonic = valueAt(words, flex::keyTonic);
    rows.push_back(FieldRow::withBits(4, "Tonic Note = " + std::to_string(tonic) + " " +
                                             std::string(flexnames::keyTonicName(tonic))));
}

// Device-supplied text: trailing zero bytes are padding; the rest is decoded so that the label is
// valid UTF-8 whatever was sent.
void textEventRows(std::vector<FieldRow>& rows, FlexPacket words) {
    const std::uint32_t w0 = words[0];
    const std::string_view name =
        flexTextEventName(flex::bank(w0), flex::status(w0)).value_or("Unknown Text Event");
    std::array<std::uint8_t, flex::textByteCount> bytes{};
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = valueAt(words, flex::textByte(i));
    std::size_t length = bytes.size();
    while (length > 0 && bytes[length - 1] == 0)
        --length;
    const std::string text =
        decodeUTF8Replacing(std::span<const std::uint8_t>(bytes.data(), length));
    rows.push_back(FieldRow::withHex(hexDigits(words[1], 0, 8) + hexDigits(words[2], 0, 8) +
                                         hexDigits(words[3], 0, 8),
                                     "Text (" + std::string(name) + ") = \"" + text + "\""));
}

// Decoders of status bank 0, indexed by status; the gaps fall back to raw words.
constexpr std::array<PayloadDecoder, 7> setupDecoders{
    tempoRows, timeSignatureRows, metronomeRows,       nullptr,
    nullptr,   keySignatureRows,  appendChordNameRows,
};

PayloadDecoder payloadDecoder(std::uint32_t w0) {
    switch (flex::bank(w0)) {
    case ump::flexBanks::setupAndPerformance: {
        const std::uint8_t status = flex::status(w0);
        return status < setupDecoders.size() ? setupDecoders[status] : nullptr;
    }
    case ump::flexBanks::metadataText:
    case ump::flexBanks::performanceText:
        return textEventRows;
    default:
        return nullptr;
    }
}

} // namespace

std::vector<FieldRow> flexDataRows(std::span<const std::uint32_t> words) {
    if (words.empty()) return {};
    auto rows = headerRows(words[0]);
    // A packet cut short is never decoded: its words are listed raw instead.
    if (words.size() == 4) {
        if (const PayloadDecoder decode = payloadDecoder(words[0])) {
            decode(rows, words.first<4>());
            return rows;
        }
    }
    for (std::size_t k = 1; k < words.size(); ++k)
        rows.push_back(
            FieldRow::withHex(hexDigits(words[k], 0, 8), "Data Word " + std::to_string(k)));
    return rows;
}

} // namespace umbrascope
