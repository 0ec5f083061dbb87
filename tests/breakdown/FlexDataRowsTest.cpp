#include <gtest/gtest.h>

#include "ExpectedRows.hpp"

namespace umbrascope {
namespace {

using namespace std::string_literals;
using Lines = std::vector<std::string>;
using testing::Words;

// A complete channel-addressed packet of group 1, channel 1.
Words setup(std::uint32_t bank, std::uint32_t status, std::uint32_t w1, std::uint32_t w2 = 0,
            std::uint32_t w3 = 0) {
    return {0xD0000000 | bank << 8 | status, w1, w2, w3};
}

Lines rows(const Words& words) {
    return testing::rendered(testing::checkedRows(words, UMPMessageType::flexData));
}

// The rows after the six header rows.
Lines payload(const Words& words) {
    const Lines all = rows(words);
    return all.size() < 6 ? Lines{} : Lines(all.begin() + 6, all.end());
}

TEST(FlexHeader, WholeMessages) {
    EXPECT_EQ(rows({0xD0000000, 0x02FAF080, 0, 0}),
              (Lines{"D:4 Message Type = D, Flex Data Message", "0:4 Group 1",
                     "0:4 Form = Complete, Address = Channel", "0:4 Channel = 1",
                     "00:8 Status Bank = 0x00", "00:8 Status = 0x00",
                     "02FAF080:32 Number of 10ns Units Per Quarter Note = 50000000 (120.00 BPM)"}));
    EXPECT_EQ(rows({0xDF530000}), (Lines{"D:4 Message Type = D, Flex Data Message", "F:4 Group 16",
                                         "5:4 Form = Start, Address = Group", "3:4 Reserved",
                                         "00:8 Status Bank = 0x00", "00:8 Status = 0x00"}));
    EXPECT_EQ(rows({0xD08F01AB})[2], "8:4 Form = Continuation, Address = Channel");
    EXPECT_EQ(rows({0xD08F01AB})[3], "F:4 Channel = 16");
}

Lines timeSignature(const std::string& denominator) {
    return {"04:8 Numerator = 4", denominator, "18:8 Number of 1/32 Notes per 24 MIDI Clocks = 24",
            "00:8 Reserved"};
}

TEST(FlexPayload, RowsAfterTheHeader) {
    const std::string tempo = ":32 Number of 10ns Units Per Quarter Note = ";
    const std::string none = " = No Alteration";
    const struct {
        const char* name;
        Words words;
        Lines rows;
    } cases[] = {
        {"tempoZero", setup(0, 0, 0), {"00000000" + tempo + "0 (0.00 BPM)"}},
        {"zeroDenominator", setup(0, 1, 0x04001800),
         timeSignature("00:8 Denominator = 0 (non-standard denominator)")},
        {"largestExactPower", setup(0, 1, 0x043E1800),
         timeSignature("3E:8 Denominator = 62 (1/4611686018427387904 note)")},
        {"powerPastAnyInteger", setup(0, 1, 0x043F1800),
         timeSignature("3F:8 Denominator = 63 (1/2^63 note)")},
        {"metronome",
         setup(0, 2, 0x18010203, 0x0400FFFF),
         {"18:8 Number of MIDI Clocks Per Primary Click = 24", "01:8 Bar Accent Part 1 = 1",
          "02:8 Bar Accent Part 2 = 2", "03:8 Bar Accent Part 3 = 3",
          "04:8 Number of Subdivision Clicks 1 = 4",
          "00:8 Number of Subdivision Clicks 2 = 0 (not used)"}},
        {"unknownKey",
         setup(0, 5, 0x80000000),
         {":4 Sharps/Flats = -8 Unknown/Non-Standard", ":4 Tonic Note = 0 Unknown/Non-Standard"}},
        {"oneSharpReservedTonic",
         setup(0, 5, 0x19000000),
         {":4 Sharps/Flats = 1 1 Sharp", ":4 Tonic Note = 9 Reserved"}},
        {"chordMajorSeventh",
         setup(0, 6, 0x03030000),
         {":4 Tonic Sharps/Flats = 0 Natural", ":4 Chord Tonic Note = 3 C",
          "03:8 Chord Type = Major 7th", ":8 Alteration 1" + none, ":8 Alteration 2" + none,
          ":8 Alteration 3" + none, ":8 Alteration 4" + none, ":4 Bass Sharps/Flats = 0 Natural",
          ":4 Bass Note = 0 Same as Chord Tonic Note",
          "00:8 Bass Chord Type = Clear Bass Chord (No Bass Chord)", ":8 Bass Alteration 1" + none,
          ":8 Bass Alteration 2" + none, ":16 Reserved"}},
        {"chordEveryFieldSet",
         setup(0, 6, 0xE01B1575, 0x2450C51C, 0x3642FFFF),
         {":4 Tonic Sharps/Flats = -2 2 Flats", ":4 Chord Tonic Note = 0 Unknown (No Chord)",
          "1B:8 Chord Type = 7 Suspended 4th", ":4 Alteration 1 Type = 1 Add Degree",
          ":4 Alteration 1 Degree = 5", ":4 Alteration 2 Type = 7 Reserved",
          ":4 Alteration 2 Degree = 5", ":4 Alteration 3 Type = 2 Subtract Degree",
          ":4 Alteration 3 Degree = 4", ":4 Alteration 4 Type = 5 Reserved",
          ":4 Alteration 4 Degree = 0", ":4 Bass Sharps/Flats = -4 4 Flats", ":4 Bass Note = 5 E",
          "1C:8 Bass Chord Type = Reserved",
          ":4 Bass Alteration 1 Type = 3 Raise Degree (Adding if Needed)",
          ":4 Bass Alteration 1 Degree = 6",
          ":4 Bass Alteration 2 Type = 4 Lower Degree (Adding if Needed)",
          ":4 Bass Alteration 2 Degree = 2", ":16 Reserved"}},
        {"projectName",
         setup(1, 1, 0x48690000),
         {"486900000000000000000000:96 Text (Project Name) = \"Hi\""}},
        {"unknownStatus",
         setup(1, 0x20, 0x41),
         {"000000410000000000000000:96 Text (Unknown Text Event) = \"\0\0\0A\""s}},
        {"invalidBytesReplaced",
         setup(1, 0x0C, 0x41FF42C3),
         {"41FF42C30000000000000000:96 Text (Recording/Concert Location) = \"A\xEF\xBF\xBD"
          "B\xEF\xBF\xBD\""}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(payload(c.words), c.rows) << c.name;
}

// Packets that are cut short, too long or of a status without a decoder list their words.
TEST(FlexPayload, RawWords) {
    for (const Words& words : {Words{0xD0000000, 0x02FAF080}, setup(0, 3, 1, 2, 3),
                               setup(0x10, 0, 0xAABBCCDD, 2, 3), Words{0xD0000000, 1, 2, 3, 4}}) {
        Lines expected;
        for (std::size_t k = 1; k < words.size(); ++k)
            expected.push_back(hexDigits(words[k], 0, 8) + ":32 Data Word " + std::to_string(k));
        EXPECT_EQ(payload(words), expected) << words.size() << " words";
    }
}

} // namespace
} // namespace umbrascope
