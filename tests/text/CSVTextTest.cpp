#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/MessageFactory.hpp"
#include "text/CSVText.hpp"

namespace umbrascope {
namespace {

using testing_support::makeMessage;

struct FieldCase {
    const char* name;
    std::string text;
    std::string field;
    std::string sourceField;
};

class CSVFields : public testing::TestWithParam<FieldCase> {};

TEST_P(CSVFields, QuotedOnlyWhenNeeded) {
    const auto& c = GetParam();
    EXPECT_EQ(csvField(c.text), c.field);
    EXPECT_EQ(csvSourceField(c.text), c.sourceField);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Quoting, CSVFields,
    testing::Values(
        FieldCase{"plain", "Keys", "Keys", "Keys"}, FieldCase{"empty", "", "", ""},
        FieldCase{"comma", "Synth, Port 1", "\"Synth, Port 1\"", "\"Synth, Port 1\""},
        FieldCase{"quote", "The \"Big\" One", "\"The \"\"Big\"\" One\"", "\"The \"\"Big\"\" One\""},
        FieldCase{"lineFeed", "a\nb", "\"a\nb\"", "\"a\nb\""},
        // Deliberately quoted: a bare CR splits rows in spreadsheet readers.
        FieldCase{"carriageReturn", "a\rb", "\"a\rb\"", "\"a\rb\""},
        FieldCase{"semicolonAndTab", "a;b\tc", "a;b\tc", "a;b\tc"},
        // Formula guards apply to the Source field only, for each character a spreadsheet
        // starts a formula with.
        FieldCase{"formulaEquals", "=1+2", "=1+2", "'=1+2"},
        FieldCase{"formulaPlus", "+1", "+1", "'+1"},
        FieldCase{"formulaMinus", "-1", "-1", "'-1"},
        FieldCase{"formulaAt", "@SUM(A1)", "@SUM(A1)", "'@SUM(A1)"},
        FieldCase{"formulaTab", "\tx", "\tx", "'\tx"},
        FieldCase{"formulaCarriageReturn", "\rx", "\"\rx\"", "\"'\rx\""},
        FieldCase{"formulaWithComma", "=A1,B1", "\"=A1,B1\"", "\"'=A1,B1\""},
        FieldCase{"formulaCharLater", "Keys=1+@", "Keys=1+@", "Keys=1+@"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// Each column keeps its own running status; a silent message ends in two empty fields; the hex
// is never quoted; a source and a description-based text are quoted when needed, and a
// formula-like source is guarded.
TEST(CSVText, Rows) {
    const std::vector messages{makeMessage({0x20903C64}),
                               makeMessage({0x10F80000}),
                               makeMessage({0x20904064}),
                               makeMessage({0x20B00740}),
                               makeMessage({0x20904364}),
                               makeMessage({0xF0060000, 0, 0, 0}),
                               makeMessage({0x00201234}, "Synth, Port 1"),
                               makeMessage({0x40903C00, 0xFFFF0000}, "Say \"hi\""),
                               makeMessage({0x10FA0000}, "=HYPERLINK(\"x\")")};
    EXPECT_EQ(csvText(messages),
              "Source,Hex,TTS Short,TTS Verbose\n"
              "Keys,20903C64,Note On C4,Note On C4 Velocity 78.74 Percent Channel 1\n"
              "Keys,10F80000,,\n"
              "Keys,20904064,E4,Note On E4 Velocity 78.74 Percent Channel 1\n"
              "Keys,20B00740,CC7 50,CC7 Volume 50.39 Percent Channel 1\n"
              "Keys,20904364,Note On G4,Note On G4 Velocity 78.74 Percent Channel 1\n"
              "Keys,F0060000  00000000  00000000  00000000,U. M. Pea Stream,"
              "\"U. M. Pea Stream message, status 0x6\"\n"
              "\"Synth, Port 1\",00201234,,\n"
              "\"Say \"\"hi\"\"\",40903C00  FFFF0000,Note On C4,"
              "Note On C4 Velocity 100.00 Percent Channel 1\n"
              "\"'=HYPERLINK(\"\"x\"\")\",10FA0000,Start,Start\n");
}

// The time column leads and leaves the others as they are; a stamp before the start (the clock
// was set back) stays a plain number.
TEST(CSVText, TimeColumnLeads) {
    using namespace std::chrono_literals;
    const WallTime start = WallTime{} + 1'800'000'000s;
    std::vector messages{makeMessage({0x20903C64}), makeMessage({0x00201234}, "Synth, Port 1"),
                         makeMessage({0x10F80000})};
    messages[0].timestamp = start + 12'345ms;
    messages[1].timestamp = start + 3600s;
    messages[2].timestamp = start - 20ms;
    EXPECT_EQ(csvText(messages, start),
              "Time,Source,Hex,TTS Short,TTS Verbose\n"
              "12.345,Keys,20903C64,Note On C4,Note On C4 Velocity 78.74 Percent Channel 1\n"
              "3600.000,\"Synth, Port 1\",00201234,,\n"
              "-0.020,Keys,10F80000,,\n");
    EXPECT_TRUE(csvText(messages).starts_with("Source,Hex,TTS Short,TTS Verbose\nKeys,20903C64,"));
}

} // namespace
} // namespace umbrascope
