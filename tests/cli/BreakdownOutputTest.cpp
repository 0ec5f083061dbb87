#include <gtest/gtest.h>

#include <sstream>

#include "cli/DecodeCommand.hpp"

namespace umbrascope::cli {
namespace {

std::string decoded(std::vector<std::string_view> args) {
    MemoryReader in("");
    std::ostringstream out, err;
    EXPECT_EQ(runDecodeWithInput(Arguments(args), in, out, err), 0) << err.str();
    return out.str();
}

TEST(DecodeBreakdown, OneLinePerRowUnderItsMessageSubRowsIndented) {
    const std::string out = decoded({"20903C40", "40903C20", "00001800"});
    const std::string rows = out.substr(out.find('\n') + 1);
    EXPECT_EQ(rows.substr(0, rows.find("40903C20")),
              "  short: Note On C4\n"
              "  verbose: Note On C4 Velocity 50.39 Percent Channel 1\n"
              "    2          4 bits  Message Type = 2, MIDI 1.0 Channel Voice Message\n"
              "    0          4 bits  Group 1\n"
              "    9          4 bits  Note On\n"
              "    0          4 bits  Channel 1\n"
              "    3C         8 bits  Note Number = C4\n"
              "    40         8 bits  Velocity = 64 (50.39%)\n");
    EXPECT_NE(out.find("\n    1800      16 bits  Attribute Data with subfields:\n"
                       "                   4 bits  Gesture = 1 Normal Strike\n"
                       "                  12 bits  Distance from Center = 50.01% (2048 of 4095)\n"),
              std::string::npos)
        << out;
}

TEST(DecodeBreakdown, DeviceTextIsTerminalSafe) {
    const struct {
        const char* name;
        std::vector<std::string_view> words; // a Flex Data text event
        std::string raw;
        std::string shown;
    } rows[] = {
        {"clearScreen", {"D0100101", "1B5B324A", "0", "0"}, "\x1b", "\\x1B[2J"},
        {"rightToLeftOverride", {"D0100101", "E280AE41", "0", "0"}, "\u202E", "\\u202EA"},
        {"lineSeparator", {"D0100101", "E280A842", "0", "0"}, "\u2028", "\\u2028B"},
    };
    for (const auto& row : rows) {
        const std::string out = decoded(row.words);
        EXPECT_EQ(out.find(row.raw), std::string::npos) << row.name;
        EXPECT_NE(out.find(row.shown), std::string::npos) << row.name << '\n' << out;
    }
}

// The texts themselves are checked with the breakdown; here only that each member is there.
TEST(DecodeBreakdown, JsonCarriesRowsAndTheSpokenTexts) {
    const std::string out = decoded({"--json", "40903C20", "00001800"});
    EXPECT_NE(out.find(R"("label":"Attribute Data with subfields:","subRows":[{"hex":"","bits":4,)"
                       R"("label":"Gesture = 1 Normal Strike","subRows":[]},{"hex":"","bits":12,)"),
              std::string::npos)
        << out;
    for (const char* member :
         {R"("fieldsSpeech":"4 bits,)", R"("reading":"To stop)", R"("readingSheetOpen":"To stop)"})
        EXPECT_NE(out.find(member), std::string::npos) << member;
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('\n'), out.size() - 1);
}

} // namespace
} // namespace umbrascope::cli
