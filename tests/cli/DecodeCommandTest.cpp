#include <gtest/gtest.h>

#include <sstream>

#include "CliTestSupport.hpp"
#include "cli/DecodeCommand.hpp"

namespace umbrascope::cli {
namespace {

CommandResult decodeWithInput(std::vector<std::string> args, const std::string& input) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int status = runDecodeWithInput(Arguments(views), in, out, err);
    return {status, out.str(), err.str()};
}

struct DecodeCase {
    const char* name;
    std::vector<std::string> args;
    std::string input; // standard input
    std::string out;
};

// The message lines alone: breakdown lines (indented) and the breakdown members of a JSON object
// are checked in BreakdownOutputTest.
std::string withoutBreakdown(const std::string& out) {
    std::istringstream lines(out);
    std::string kept, line;
    while (std::getline(lines, line)) {
        const bool spoken = line.starts_with("  short: ") || line.starts_with("  verbose: ");
        if (line.starts_with(" ") && !spoken) continue;
        if (const auto rows = line.find(",\"rows\":["); rows != std::string::npos)
            line = line.substr(0, rows) + "}";
        kept += line + "\n";
    }
    return kept;
}

class DecodeOutput : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeOutput, Prints) {
    const auto& c = GetParam();
    const auto result = decodeWithInput(c.args, c.input);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(withoutBreakdown(result.out), c.out);
    EXPECT_EQ(result.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeOutput,
    testing::Values(
        DecodeCase{"midi2NoteOn",
                   {"40903C00", "FFFF0000"},
                   "",
                   "40903C00  FFFF0000  MIDI 2.0 Channel Voice  Note On: C4 (60), velocity 65535 "
                   "(100.00%) \u2014 Ch 1, Grp 1\n"
                   "  short: Note On C4\n"
                   "  verbose: Note On C4 Velocity 100.00 Percent Channel 1\n"},
        DecodeCase{"runSplitsLikeTheReceivePath",
                   {"0x20903c64", "40903C00", "FFFF0000", "80000000"},
                   "",
                   "20903C64  MIDI 1.0 Channel Voice  Note On: C4 (60), velocity 100 (78.74%) "
                   "\u2014 Ch 1, Grp 1\n"
                   "  short: Note On C4\n"
                   "  verbose: Note On C4 Velocity 78.74 Percent Channel 1\n"
                   "40903C00  FFFF0000  MIDI 2.0 Channel Voice  Note On: C4 (60), velocity 65535 "
                   "(100.00%) \u2014 Ch 1, Grp 1\n"
                   // every packet starts from a running status of none
                   "  short: Note On C4\n"
                   "  verbose: Note On C4 Velocity 100.00 Percent Channel 1\n"
                   "80000000  Unknown  Unrecognized message type\n"
                   "  short: Unknown\n"
                   "  verbose: Unrecognized message type\n"},
        DecodeCase{
            "json",
            {"--json", "40903C00", "FFFF0000"},
            "",
            "{\"line\":1,\"words\":[\"40903C00\",\"FFFF0000\"],\"type\":\"midi2ChannelVoice\","
            "\"displayName\":\"MIDI 2.0 Channel Voice\",\"hex\":\"40903C00  FFFF0000\","
            "\"description\":\"Note On: C4 (60), velocity 65535 (100.00%) \u2014 Ch 1, Grp "
            "1\",\"short\":\"Note On C4\",\"verbose\":\"Note On C4 Velocity 100.00 Percent Channel "
            "1\"}\n"},
        DecodeCase{
            "stdinLinesNumbered",
            {"--json", "--stdin"},
            "10F80000 10FA0000\r\n\n  F0200000 0 0 0\n",
            "{\"line\":1,\"words\":[\"10F80000\"],\"type\":\"system\",\"displayName\":"
            "\"System Real-Time / Common\",\"hex\":\"10F80000\",\"description\":\"Timing "
            "Clock \u2014 Grp 1\",\"short\":null,\"verbose\":null}\n"
            "{\"line\":1,\"words\":[\"10FA0000\"],\"type\":\"system\",\"displayName\":"
            "\"System Real-Time / Common\",\"hex\":\"10FA0000\",\"description\":\"Start "
            "\u2014 Grp 1\",\"short\":\"Start\",\"verbose\":\"Start\"}\n"
            "{\"line\":3,\"words\":[\"F0200000\",\"00000000\",\"00000000\",\"00000000\"],"
            "\"type\":\"umpStream\",\"displayName\":\"UMP Stream\",\"hex\":\"F0200000  "
            "00000000  00000000  00000000\",\"description\":\"Start of Clip\",\"short\":\"U. M. "
            "Pea Stream\",\"verbose\":\"Start of Clip\"}\n"},
        DecodeCase{"shortWordPaddedSilentMessageHasNoSpokenLines",
                   {"0"},
                   "",
                   "00000000  Utility  No Operation (NOOP)\n"}),
    [](const auto& p) { return p.param.name; });

struct ErrorCase {
    const char* name;
    std::vector<std::string> args;
    std::string input;
    std::string err;
};

class DecodeErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(DecodeErrors, ExitTwoWithOneLineAndNoOutput) {
    const auto& c = GetParam();
    const auto result = decodeWithInput(c.args, c.input);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "") << "nothing may be printed half";
    EXPECT_EQ(result.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeErrors,
    testing::Values(
        ErrorCase{"badWord",
                  {"40903C00", "XYZ"},
                  "",
                  "umbrascope-cli decode: expected a word of 1 to 8 hex digits, found 'XYZ'\n"},
        ErrorCase{"bareHexPrefix",
                  {"0x"},
                  "",
                  "umbrascope-cli decode: expected a word of 1 to 8 hex digits, found '0x'\n"},
        ErrorCase{"unknownOption",
                  {"--yaml", "0"},
                  "",
                  "umbrascope-cli decode: unknown option '--yaml' (see umbrascope-cli decode "
                  "--help)\n"},
        ErrorCase{"noWords",
                  {"--json"},
                  "",
                  "umbrascope-cli decode: expected at least one word (see umbrascope-cli decode "
                  "--help)\n"},
        ErrorCase{"wordsAndStdin",
                  {"--stdin", "0"},
                  "",
                  "umbrascope-cli decode: expected words either as arguments or with --stdin, not "
                  "both\n"},
        ErrorCase{"badStdinLineAfterGoodOnes",
                  {"--json", "--stdin"},
                  "10F80000\n\n1 2 x\x1b\n",
                  "umbrascope-cli decode: line 3: expected a word of 1 to 8 hex digits, found "
                  "'x\\x1B'\n"}),
    [](const auto& p) { return p.param.name; });

TEST(DecodeHelp, PrintsUsage) {
    const auto result = decodeWithInput({"--help"}, "");
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.out.find("Usage: umbrascope-cli decode"), std::string::npos);
}

TEST(DecodeOptionsEnd, DashWordAfterDoubleDash) {
    const auto result = decodeWithInput({"--", "-1"}, "");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("found '-1'"), std::string::npos);
}

} // namespace
} // namespace umbrascope::cli
