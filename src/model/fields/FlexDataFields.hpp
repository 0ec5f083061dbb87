#pragma once

#include <cstddef>
#include <cstdint>

#include "model/Fields.hpp"

// Fields of Flex Data messages: the header of word 0 and the payloads of the setup messages of
// status bank 0. A payload field is named once by its position, so the value a row shows and the
// hex digits it shows come from the same place.
namespace umbrascope::ump::flex {

// Complete, start, continuation or end; the channel is the shared word-0 one.
constexpr std::uint8_t form(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 23, 22));
}
// 0 addresses a channel; any other value the whole group.
constexpr std::uint8_t address(std::uint32_t w0) {
    return static_cast<std::uint8_t>(bits(w0, 21, 20));
}
constexpr std::uint8_t bank(std::uint32_t w0) {
    return byte3(w0);
}
constexpr std::uint8_t status(std::uint32_t w0) {
    return byte4(w0);
}

// One byte of a payload word; index 0 is bits 31-24.
struct BytePosition {
    std::size_t word;
    unsigned index;

    constexpr std::uint8_t of(std::uint32_t w) const {
        return static_cast<std::uint8_t>(bits(w, 31 - 8 * index, 24 - 8 * index));
    }
    constexpr int firstDigit() const { return static_cast<int>(2 * index); }
};

// One nibble of a payload word; index 0 is bits 31-28.
struct NibblePosition {
    std::size_t word;
    unsigned index;

    constexpr std::uint8_t of(std::uint32_t w) const {
        return static_cast<std::uint8_t>(bits(w, 31 - 4 * index, 28 - 4 * index));
    }
};

// A nibble read as two's complement, -8 to 7.
constexpr int signedNibble(std::uint8_t nibble) {
    return (nibble & 0x8) != 0 ? static_cast<int>(nibble & 0xF) - 16
                               : static_cast<int>(nibble & 0xF);
}

// Set Tempo: word 1 whole, in units of 10 ns per quarter note.
inline constexpr std::size_t tempoWord = 1;

// Set Time Signature.
inline constexpr BytePosition timeSignatureNumerator{1, 0};
// Exponent: the denominator is 2 to this power.
inline constexpr BytePosition timeSignatureDenominator{1, 1};
inline constexpr BytePosition thirtySecondNotesPer24Clocks{1, 2};
inline constexpr BytePosition timeSignatureReserved{1, 3};

// Set Metronome.
inline constexpr BytePosition clocksPerPrimaryClick{1, 0};
inline constexpr BytePosition barAccentPart1{1, 1};
inline constexpr BytePosition barAccentPart2{1, 2};
inline constexpr BytePosition barAccentPart3{1, 3};
inline constexpr BytePosition subdivisionClicks1{2, 0};
inline constexpr BytePosition subdivisionClicks2{2, 1};

// Set Key Signature.
inline constexpr NibblePosition keySharpsFlats{1, 0};
inline constexpr NibblePosition keyTonic{1, 1};

// Set Chord Name. Alteration bytes hold the type in the high nibble and the degree in the low.
inline constexpr NibblePosition chordTonicSharpsFlats{1, 0};
inline constexpr NibblePosition chordTonic{1, 1};
inline constexpr BytePosition chordType{1, 1};
inline constexpr BytePosition alteration1{1, 2};
inline constexpr BytePosition alteration2{1, 3};
inline constexpr BytePosition alteration3{2, 0};
inline constexpr BytePosition alteration4{2, 1};
inline constexpr NibblePosition bassSharpsFlats{2, 4};
inline constexpr NibblePosition bassNote{2, 5};
inline constexpr BytePosition bassChordType{2, 3};
inline constexpr BytePosition bassAlteration1{3, 0};
inline constexpr BytePosition bassAlteration2{3, 1};

// Text events (banks 1 and 2): byte i (0 to 11) of the text, words 1 to 3, high byte first.
inline constexpr std::size_t textByteCount = 12;
constexpr BytePosition textByte(std::size_t i) {
    return {1 + i / 4, static_cast<unsigned>(i % 4)};
}

constexpr std::uint8_t alterationType(std::uint8_t alteration) {
    return static_cast<std::uint8_t>(alteration >> 4);
}
constexpr std::uint8_t alterationDegree(std::uint8_t alteration) {
    return static_cast<std::uint8_t>(alteration & 0xF);
}

static_assert(form(0xD0400103u) == 1 && bank(0xD0400103u) == 1 && status(0xD0400103u) == 3);
static_assert(address(0xD0130000u) == 1 && form(0xD0F00000u) == 3);
static_assert(timeSignatureNumerator.of(0x04021800u) == 4);
static_assert(timeSignatureDenominator.of(0x04021800u) == 2);
static_assert(thirtySecondNotesPer24Clocks.of(0x04021800u) == 24);
static_assert(timeSignatureReserved.of(0x040218ABu) == 0xAB &&
              timeSignatureReserved.firstDigit() == 6);
static_assert(signedNibble(keySharpsFlats.of(0xD3000000u)) == -3 && keyTonic.of(0xD3000000u) == 3);
static_assert(signedNibble(0x8) == -8 && signedNibble(0x7) == 7 && signedNibble(0x0) == 0);
static_assert(chordType.of(0x03030000u) == 3 && chordTonic.of(0x03030000u) == 3);
static_assert(bassSharpsFlats.of(0x0000E500u) == 0xE && bassNote.of(0x0000E500u) == 5);
static_assert(bassChordType.of(0x0000001Bu) == 27);
static_assert(textByte(0).word == 1 && textByte(0).index == 0);
static_assert(textByte(11).word == 3 && textByte(11).of(0x000000AAu) == 0xAA);
static_assert(alterationType(0x15) == 1 && alterationDegree(0x15) == 5);

} // namespace umbrascope::ump::flex
