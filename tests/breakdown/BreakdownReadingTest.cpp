#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ExpectedRows.hpp"
#include "breakdown/BreakdownReading.hpp"
#include "support/MessageFactory.hpp"

namespace umbrascope {
namespace {

using testing_support::makeMessage;

TEST(BreakdownReading, StopHintThenEveryField) {
    EXPECT_EQ(breakdownReadingText(makeMessage({0x20903C40}), true),
              "To stop this reading, click Stop Reading, or close this window. Fields are, 4 bits, "
              "Message Type: 2, MIDI 1.0 Channel Voice Message. 4 bits, Group 1. 4 bits, Note On. "
              "4 bits, Channel 1. 8 bits, Note Number: C4. 8 bits, Velocity: 64 (50.39%).");
    EXPECT_EQ(breakdownReadingText(makeMessage({0x00000000}), false),
              "To stop this reading, press M again. Fields are, 4 bits, Message Type: 0, Utility "
              "Message. 4 bits, Group 1. 4 bits, No Operation (NOOP). 20 bits, Value: 0.");
    EXPECT_EQ(breakdownReadingText(MIDIMessage{}, false),
              "To stop this reading, press M again. Fields are, ");
    EXPECT_EQ(breakdownReadingText(MIDIMessage{}, false, "Arrived 1.500 seconds after the start."),
              "To stop this reading, press M again. Arrived 1.500 seconds after the start. "
              "Fields are, ");
}

TEST(FieldsSpeech, Sentences) {
    const struct {
        const char* name;
        std::vector<FieldRow> rows;
        const char* spoken;
    } cases[] = {
        {"OneBitIsSingular",
         {FieldRow::withBits(1, "Reset Round Robin = 1 True")},
         "1 bit, Reset Round Robin: 1 True."},
        {"NoEqualsUnchanged", {FieldRow::withHex("7E", "Data Byte 1")}, "8 bits, Data Byte 1."},
        {"EveryEqualsReplaced",
         {FieldRow::withHex("00", "Form = Complete, Address = Channel")},
         "8 bits, Form: Complete, Address: Channel."},
        {"SubRowsFollowTheirParent",
         {FieldRow::withHex("E0C9", "Data",
                            {FieldRow::withBits(4, "A = 1"), FieldRow::withBits(12, "B")}),
          FieldRow::withHex("0", "Next")},
         "16 bits, Data. 4 bits, A: 1. 12 bits, B. 4 bits, Next."},
        {"UmpSpelledEverywhere",
         {FieldRow::withHex("F000", "Message Type = F, UMP Stream Message; UMPUMP")},
         "16 bits, Message Type: F, U. M. Pea Stream Message; U. M. PeaU. M. Pea."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fieldsSpeechText(c.rows), c.spoken) << c.name;
}

} // namespace
} // namespace umbrascope
