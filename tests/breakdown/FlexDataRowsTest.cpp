#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "RowExpectations.hpp"
#include "breakdown/BreakdownRows.hpp"
#include "text/Utf8Decoding.hpp"

namespace umbrascope {
namespace {

using rowtest::ExpectedRow;
using Words = std::vector<std::uint32_t>;

constexpr std::size_t headerRowCount = 6;

// A complete channel-addressed packet of group 1, channel 1.
Words setup(std::uint32_t bank, std::uint32_t status, std::uint32_t w1, std::uint32_t w2 = 0,
            std::uint32_t w3 = 0) {
    return {0xD0000000 | bank << 8 | status, w1, w2, w3};
}

std::vector<FieldRow> rows(const Words& words) {
    return breakdownRows(words, UMPMessageType::flexData);
}

std::vector<FieldRow> payload(const Words& words) {
    auto all = rows(words);
    return {all.begin() + static_cast<std::ptrdiff_t>(headerRowCount), all.end()};
}

TEST(FlexHeader, TempoMessageInFull) {
    rowtest::expectRows(
        rows({0xD0000000, 0x02FAF080, 0, 0}),
        {{"D", 4, "Message Type = D, Flex Data Message"},
         {"0", 4, "Group 1"},
         {"0", 4, "Form = Complete, Address = Channel"},
         {"0", 4, "Channel = 1"},
         {"00", 8, "Status Bank = 0x00"},
         {"00", 8, "Status = 0x00"},
         {"02FAF080", 32, "Number of 10ns Units Per Quarter Note = 50000000 (120.00 BPM)"}});
}

struct HeaderCase {
    const char* name;
    std::uint32_t w0;
    std::vector<std::string> labels;
};

class FlexHeaderRows : public testing::TestWithParam<HeaderCase> {};

TEST_P(FlexHeaderRows, Labels) {
    const auto& c = GetParam();
    const auto header = rows({c.w0});
    ASSERT_EQ(header.size(), headerRowCount);
    EXPECT_EQ(rowtest::labelsFrom(header, 1), c.labels);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, FlexHeaderRows,
    testing::Values(HeaderCase{"groupAddress",
                               0xD0130000,
                               {"Group 1", "Form = Complete, Address = Group", "Reserved",
                                "Status Bank = 0x00", "Status = 0x00"}},
                    HeaderCase{"start",
                               0xDF4F0103,
                               {"Group 16", "Form = Start, Address = Channel", "Channel = 16",
                                "Status Bank = 0x01", "Status = 0x03"}},
                    HeaderCase{"continuation",
                               0xD0A5ABCD,
                               {"Group 1", "Form = Continuation, Address = Group", "Reserved",
                                "Status Bank = 0xAB", "Status = 0xCD"}},
                    HeaderCase{"end",
                               0xD0F00000,
                               {"Group 1", "Form = End, Address = Group", "Reserved",
                                "Status Bank = 0x00", "Status = 0x00"}}),
    [](const auto& param) { return param.param.name; });

struct PayloadCase {
    const char* name;
    Words words;
    std::vector<ExpectedRow> rows;
};

class FlexPayloadRows : public testing::TestWithParam<PayloadCase> {};

TEST_P(FlexPayloadRows, RowsAfterTheHeader) {
    const auto& c = GetParam();
    rowtest::expectRows(payload(c.words), c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Tempo, FlexPayloadRows,
    testing::Values(
        PayloadCase{"zero",
                    setup(0, 0, 0),
                    {{"00000000", 32, "Number of 10ns Units Per Quarter Note = 0 (0.00 BPM)"}}},
        PayloadCase{
            "one",
            setup(0, 0, 1),
            {{"00000001", 32, "Number of 10ns Units Per Quarter Note = 1 (6000000000.00 BPM)"}}},
        PayloadCase{
            "largest",
            setup(0, 0, 0xFFFFFFFF),
            {{"FFFFFFFF", 32, "Number of 10ns Units Per Quarter Note = 4294967295 (1.40 BPM)"}}}),
    [](const auto& param) { return param.param.name; });

std::vector<ExpectedRow> timeSignature(const char* denominatorHex, const std::string& denominator) {
    return {{"04", 8, "Numerator = 4"},
            {denominatorHex, 8, "Denominator = " + denominator},
            {"18", 8, "Number of 1/32 Notes per 24 MIDI Clocks = 24"},
            {"00", 8, "Reserved"}};
}

INSTANTIATE_TEST_SUITE_P(
    TimeSignature, FlexPayloadRows,
    testing::Values(
        PayloadCase{"quarter", setup(0, 1, 0x04021800), timeSignature("02", "2 (1/4 note)")},
        PayloadCase{"eighth", setup(0, 1, 0x04031800), timeSignature("03", "3 (1/8 note)")},
        PayloadCase{"zeroIsNonStandard", setup(0, 1, 0x04001800),
                    timeSignature("00", "0 (non-standard denominator)")},
        PayloadCase{"largestExactPower", setup(0, 1, 0x043E1800),
                    timeSignature("3E", "62 (1/4611686018427387904 note)")},
        PayloadCase{"powerTooLargeForAnInteger", setup(0, 1, 0x043F1800),
                    timeSignature("3F", "63 (1/2^63 note)")},
        PayloadCase{"largestExponent", setup(0, 1, 0x04FF1800),
                    timeSignature("FF", "255 (1/2^255 note)")}),
    [](const auto& param) { return param.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Metronome, FlexPayloadRows,
    testing::Values(PayloadCase{"subdivisionsUsed",
                                setup(0, 2, 0x18010203, 0x04FF0000),
                                {{"18", 8, "Number of MIDI Clocks Per Primary Click = 24"},
                                 {"01", 8, "Bar Accent Part 1 = 1"},
                                 {"02", 8, "Bar Accent Part 2 = 2"},
                                 {"03", 8, "Bar Accent Part 3 = 3"},
                                 {"04", 8, "Number of Subdivision Clicks 1 = 4"},
                                 {"FF", 8, "Number of Subdivision Clicks 2 = 255"}}},
                    PayloadCase{"subdivisionsNotUsed",
                                setup(0, 2, 0, 0x0000FFFF),
                                {{"00", 8, "Number of MIDI Clocks Per Primary Click = 0"},
                                 {"00", 8, "Bar Accent Part 1 = 0"},
                                 {"00", 8, "Bar Accent Part 2 = 0"},
                                 {"00", 8, "Bar Accent Part 3 = 0"},
                                 {"00", 8, "Number of Subdivision Clicks 1 = 0 (not used)"},
                                 {"00", 8, "Number of Subdivision Clicks 2 = 0 (not used)"}}}),
    [](const auto& param) { return param.param.name; });

INSTANTIATE_TEST_SUITE_P(
    KeySignature, FlexPayloadRows,
    testing::Values(
        PayloadCase{"threeFlats",
                    setup(0, 5, 0xD3000000),
                    {{"", 4, "Sharps/Flats = -3 3 Flats"}, {"", 4, "Tonic Note = 3 C"}}},
        PayloadCase{"unknown",
                    setup(0, 5, 0x80000000),
                    {{"", 4, "Sharps/Flats = -8 Unknown/Non-Standard"},
                     {"", 4, "Tonic Note = 0 Unknown/Non-Standard"}}},
        PayloadCase{"reservedTonic",
                    setup(0, 5, 0x09000000),
                    {{"", 4, "Sharps/Flats = 0 Natural"}, {"", 4, "Tonic Note = 9 Reserved"}}},
        PayloadCase{"oneSharp",
                    setup(0, 5, 0x17000000),
                    {{"", 4, "Sharps/Flats = 1 1 Sharp"}, {"", 4, "Tonic Note = 7 G"}}},
        PayloadCase{"sevenSharps",
                    setup(0, 5, 0x71000000),
                    {{"", 4, "Sharps/Flats = 7 7 Sharps"}, {"", 4, "Tonic Note = 1 A"}}},
        PayloadCase{"oneFlat",
                    setup(0, 5, 0xF6FFFFFF),
                    {{"", 4, "Sharps/Flats = -1 1 Flat"}, {"", 4, "Tonic Note = 6 F"}}}),
    [](const auto& param) { return param.param.name; });

const std::vector<ExpectedRow> plainMajorSeventh{
    {"", 4, "Tonic Sharps/Flats = 0 Natural"},
    {"", 4, "Chord Tonic Note = 3 C"},
    {"03", 8, "Chord Type = Major 7th"},
    {"", 8, "Alteration 1 = No Alteration"},
    {"", 8, "Alteration 2 = No Alteration"},
    {"", 8, "Alteration 3 = No Alteration"},
    {"", 8, "Alteration 4 = No Alteration"},
    {"", 4, "Bass Sharps/Flats = 0 Natural"},
    {"", 4, "Bass Note = 0 Same as Chord Tonic Note"},
    {"00", 8, "Bass Chord Type = Clear Bass Chord (No Bass Chord)"},
    {"", 8, "Bass Alteration 1 = No Alteration"},
    {"", 8, "Bass Alteration 2 = No Alteration"},
    {"", 16, "Reserved"},
};

INSTANTIATE_TEST_SUITE_P(ChordName, FlexPayloadRows,
                         testing::Values(PayloadCase{"majorSeventhNoAlterations",
                                                     setup(0, 6, 0x03030000), plainMajorSeventh},
                                         PayloadCase{
                                             "everyAlterationAndBassField",
                                             setup(0, 6, 0xE01B1575, 0x2450C51C, 0x5612FFFF),
                                             {{"", 4, "Tonic Sharps/Flats = -2 2 Flats"},
                                              {"", 4, "Chord Tonic Note = 0 Unknown (No Chord)"},
                                              {"1B", 8, "Chord Type = 7 Suspended 4th"},
                                              {"", 4, "Alteration 1 Type = 1 Add Degree"},
                                              {"", 4, "Alteration 1 Degree = 5"},
                                              {"", 4, "Alteration 2 Type = 7 Reserved"},
                                              {"", 4, "Alteration 2 Degree = 5"},
                                              {"", 4, "Alteration 3 Type = 2 Subtract Degree"},
                                              {"", 4, "Alteration 3 Degree = 4"},
                                              {"", 4, "Alteration 4 Type = 5 Reserved"},
                                              {"", 4, "Alteration 4 Degree = 0"},
                                              {"", 4, "Bass Sharps/Flats = -4 4 Flats"},
                                              {"", 4, "Bass Note = 5 E"},
                                              {"1C", 8, "Bass Chord Type = Reserved"},
                                              {"", 4, "Bass Alteration 1 Type = 5 Reserved"},
                                              {"", 4, "Bass Alteration 1 Degree = 6"},
                                              {"", 4, "Bass Alteration 2 Type = 1 Add Degree"},
                                              {"", 4, "Bass Alteration 2 Degree = 2"},
                                              {"", 16, "Reserved"}}}),
                         [](const auto& param) { return param.param.name; });

struct NameCase {
    std::uint32_t value;
    const char* text;
};

TEST(ChordNameTables, ValuesAndReservedFallbacks) {
    const NameCase chordTypes[] = {{0, "Clear Chord - No Chord"},
                                   {14, "Dominant Ninth"},
                                   {21, "Half Diminished (Diminished Triad, Minor Seventh)"},
                                   {22, "Major-Minor or Minor-Major (Minor Triad, Major Seventh)"},
                                   {23, "Pedal (e.g. XF 1+8)"},
                                   {25, "Suspended 2nd (e.g. XF 1+2+5)"},
                                   {27, "7 Suspended 4th"},
                                   {28, "Reserved"},
                                   {255, "Reserved"}};
    for (const auto& c : chordTypes) {
        const auto chord = payload(setup(0, 6, c.value << 16, c.value));
        EXPECT_EQ(chord[2].label, std::string("Chord Type = ") + c.text) << c.value;
        if (c.value != 0) {
            EXPECT_EQ(chord[9].label, std::string("Bass Chord Type = ") + c.text) << c.value;
        }
    }
    const NameCase alterations[] = {{3, "Raise Degree (Adding if Needed)"},
                                    {4, "Lower Degree (Adding if Needed)"},
                                    {15, "Reserved"}};
    for (const auto& c : alterations)
        EXPECT_EQ(payload(setup(0, 6, c.value << 12))[3].label,
                  "Alteration 1 Type = " + std::to_string(c.value) + " " + c.text);
    EXPECT_EQ(payload(setup(0, 6, 0x08000000))[1].label, "Chord Tonic Note = 8 Reserved");
    EXPECT_EQ(payload(setup(0, 6, 0, 0x00000F00))[8].label, "Bass Note = 15 Reserved");
}

TEST(ChordNameRowCounts, ThirteenToNineteenPayloadRows) {
    // Each of the six alteration bytes adds one row when it carries an alteration.
    const std::uint32_t alterationBits[6][3] = {{0x1000, 0, 0},     {0x10, 0, 0},
                                                {0, 0x10000000, 0}, {0, 0x100000, 0},
                                                {0, 0, 0x10000000}, {0, 0, 0x100000}};
    std::uint32_t w[3] = {0, 0, 0};
    for (std::size_t altered = 0; altered <= 6; ++altered) {
        EXPECT_EQ(payload(setup(0, 6, w[0], w[1], w[2])).size(), 13 + altered) << altered;
        if (altered < 6)
            for (int k = 0; k < 3; ++k)
                w[k] |= alterationBits[altered][k];
    }
}

INSTANTIATE_TEST_SUITE_P(
    TextEvents, FlexPayloadRows,
    testing::Values(
        PayloadCase{"projectName",
                    setup(1, 1, 0x48690000),
                    {{"486900000000000000000000", 96, "Text (Project Name) = \"Hi\""}}},
        PayloadCase{"unknownStatus",
                    setup(1, 0x20, 0x41000000),
                    {{"410000000000000000000000", 96, "Text (Unknown Text Event) = \"A\""}}},
        PayloadCase{"lyrics",
                    setup(2, 1, 0x6C61206C, 0x61206C61, 0x206C6121),
                    {{"6C61206C61206C61206C6121", 96, "Text (Lyrics) = \"la la la la!\""}}},
        PayloadCase{
            "allZeros",
            setup(2, 0, 0),
            {{"000000000000000000000000", 96, "Text (Unknown Performance Text Event) = \"\""}}},
        PayloadCase{"innerZeroKept",
                    setup(1, 0x0C, 0x41004200),
                    {{"410042000000000000000000", 96,
                      std::string("Text (Recording/Concert Location) = \"A") + '\0' + "B\""}}},
        PayloadCase{"multiByteCharacters",
                    setup(1, 5, 0x43C3A96C, 0xE282AC00),
                    {{"43C3A96CE282AC0000000000", 96, "Text (Composer Name) = \"Cél€\""}}},
        PayloadCase{"invalidBytesReplaced",
                    setup(1, 6, 0x41FF42C3),
                    {{"41FF42C30000000000000000", 96,
                      "Text (Lyricist Name) = \"A\xEF\xBF\xBD"
                      "B\xEF\xBF\xBD\""}}},
        PayloadCase{"bankTwoUnknownStatus",
                    setup(2, 5, 0x5A000000),
                    {{"5A0000000000000000000000", 96, "Text (Unknown Text Event) = \"Z\""}}}),
    [](const auto& param) { return param.param.name; });

TEST(FlexTextEvents, LabelIsValidUtf8WhateverTheBytes) {
    const std::uint32_t hostile[] = {0xC0AFE080, 0xEDA080F4, 0x908080F8, 0xFFFEF090, 0x80C2C2C2};
    for (std::uint32_t a : hostile)
        for (std::uint32_t b : hostile)
            EXPECT_TRUE(isValidUtf8(payload(setup(1, 1, a, b, a ^ b))[0].label)) << a << " " << b;
}

std::vector<ExpectedRow> dataWords(const Words& words) {
    std::vector<ExpectedRow> expected;
    for (std::size_t k = 1; k < words.size(); ++k)
        expected.push_back({hexDigits(words[k], 0, 8), 32, "Data Word " + std::to_string(k)});
    return expected;
}

class FlexRawWords : public testing::TestWithParam<PayloadCase> {};

TEST_P(FlexRawWords, OneRowPerWordAfterTheHeader) {
    const auto& c = GetParam();
    rowtest::expectRows(payload(c.words), dataWords(c.words));
}

INSTANTIATE_TEST_SUITE_P(
    Fallback, FlexRawWords,
    testing::Values(PayloadCase{"twoWordTempo", {0xD0000000, 0x02FAF080}, {}},
                    PayloadCase{"threeWordChordName", {0xD0000006, 0x03030000, 0x11111111}, {}},
                    PayloadCase{"truncatedText", {0xD0000101, 0x48690000}, {}},
                    PayloadCase{"oneWord", {0xD0000001}, {}},
                    PayloadCase{"bankZeroStatus3", setup(0, 3, 1, 2, 3), {}},
                    PayloadCase{"bankZeroStatus4", setup(0, 4, 1, 2, 3), {}},
                    PayloadCase{"bankZeroStatus7", setup(0, 7, 1, 2, 3), {}},
                    PayloadCase{"bank3", setup(3, 1, 1, 2, 3), {}},
                    PayloadCase{"bank0x10", setup(0x10, 0, 0xAABBCCDD, 2, 3), {}},
                    PayloadCase{"fiveWords", {0xD0000000, 1, 2, 3, 4}, {}}),
    [](const auto& param) { return param.param.name; });

TEST(FlexRows, EmptyPacketHasNoRows) {
    EXPECT_TRUE(rows({}).empty());
}

} // namespace
} // namespace umbrascope
