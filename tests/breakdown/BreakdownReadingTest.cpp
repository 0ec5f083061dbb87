#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRows.hpp"
#include "breakdown/BreakdownReading.hpp"

namespace umbrascope {
namespace {

using testing::messageOf;

TEST(BreakdownReading, SheetOpenReadsTheStopHintAndEveryField) {
    EXPECT_EQ(breakdownReadingText(messageOf({0x20903C40}), true),
              "To stop this reading, click Stop Reading, or close this window. Fields are, 4 bits, "
              "Message Type: 2, MIDI 1.0 Channel Voice Message. 4 bits, Group 1. 4 bits, Note On. "
              "4 bits, Channel 1. 8 bits, Note Number: C4. 8 bits, Velocity: 64 (50.39%).");
}

TEST(BreakdownReading, SheetClosedPointsAtTheKey) {
    EXPECT_EQ(breakdownReadingText(messageOf({0x00000000}), false),
              "To stop this reading, press M again. Fields are, 4 bits, Message Type: 0, Utility "
              "Message. 4 bits, Group 1. 4 bits, No Operation (NOOP). 20 bits, Value: 0.");
}

TEST(BreakdownReading, NoWordsLeavesOnlyTheHint) {
    const MIDIMessage empty;
    EXPECT_EQ(breakdownReadingText(empty, true),
              "To stop this reading, click Stop Reading, or close this window. Fields are, ");
    EXPECT_EQ(breakdownReadingText(empty, false),
              "To stop this reading, press M again. Fields are, ");
    EXPECT_EQ(fieldsSpeechText(empty), "");
}

struct SentenceCase {
    const char* name;
    std::vector<FieldRow> rows;
    const char* spoken;
};

FieldRow parent(std::string label, std::vector<FieldRow> subRows) {
    return FieldRow::withHex("E0C9", std::move(label), std::move(subRows));
}

TEST(FieldsSpeech, Sentences) {
    const SentenceCase cases[] = {
        {"OneBitIsSingular",
         {FieldRow::withBits(1, "Reset Round Robin = 1 True")},
         "1 bit, Reset Round Robin: 1 True."},
        {"NoEqualsUnchanged", {FieldRow::withHex("7E", "Data Byte 1")}, "8 bits, Data Byte 1."},
        {"EveryEqualsReplaced",
         {FieldRow::withHex("00", "Form = Complete, Address = Channel")},
         "8 bits, Form: Complete, Address: Channel."},
        {"EqualsWithoutBlanksKept", {FieldRow::withHex("00", "a=b")}, "8 bits, a=b."},
        {"SubRowsFollowTheirParent",
         {parent("Attribute Data with subfields:",
                 {FieldRow::withBits(4, "SubClass = E String Hand Tap"),
                  FieldRow::withBits(12, "Distance")}),
          FieldRow::withHex("0", "Next")},
         "16 bits, Attribute Data with subfields:. 4 bits, SubClass: E String Hand Tap. 12 bits, "
         "Distance. 4 bits, Next."},
        {"OnlyOneLevelOfSubRows",
         {parent("Top", {parent("Middle", {FieldRow::withBits(2, "Deep")})})},
         "16 bits, Top. 16 bits, Middle."},
        {"UmpSpelledEverywhere",
         {FieldRow::withHex("F000", "Message Type = F, UMP Stream Message; Status = 0x000 (UMP)")},
         "16 bits, Message Type: F, U. M. Pea Stream Message; Status: 0x000 (U. M. Pea)."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fieldsSpeechText(c.rows), c.spoken) << c.name;
}

TEST(FieldsSpeech, UmpStreamTypeRowIsSpelled) {
    const std::string text = fieldsSpeechText(messageOf({0xF0200000, 0, 0, 0}));
    EXPECT_EQ(text.find("UMP"), std::string::npos);
    EXPECT_NE(text.find("U. M. Pea Stream Message"), std::string::npos) << text;
}

TEST(FieldsSpeech, ReadsTheSameRowsTheWindowShows) {
    const auto message = messageOf({0x40903C11, 0x8000E0C9});
    EXPECT_EQ(fieldsSpeechText(message), fieldsSpeechText(breakdownRows(message)));
    EXPECT_NE(fieldsSpeechText(message).find("1 bit, Reset Round Robin: 1 True."),
              std::string::npos);
}

} // namespace
} // namespace umbrascope
