#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <sstream>

#include "CliTestSupport.hpp"
#include "cli/DecodeCommand.hpp"

namespace umbrascope::cli {
namespace {

CommandResult decodeWithInput(std::vector<std::string> args, ByteReader& in) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    const int status = runDecodeWithInput(Arguments(views), in, out, err);
    return {status, out.str(), err.str()};
}

CommandResult decodeWithInput(std::vector<std::string> args, const std::string& input) {
    MemoryReader in(input);
    return decodeWithInput(std::move(args), in);
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

TEST_P(DecodeErrors, ExitTwoWithOneEscapedLineAndNoOutput) {
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
        ErrorCase{"surrogateInAWord",
                  {"40903C00", "\xED\xA0\x80"},
                  "",
                  "umbrascope-cli decode: expected a word of 1 to 8 hex digits, found "
                  "'\\xED\\xA0\\x80'\n"},
        ErrorCase{"overlongSlash",
                  {"\xC0\xAF"},
                  "",
                  "umbrascope-cli decode: expected a word of 1 to 8 hex digits, found "
                  "'\\xC0\\xAF'\n"},
        ErrorCase{"bidiOverride",
                  {"--json\u202E"},
                  "",
                  "umbrascope-cli decode: unknown option '--json\\u202E' (see umbrascope-cli "
                  "decode --help)\n"}),
    [](const auto& p) { return p.param.name; });

struct StdinCase {
    const char* name;
    std::string input;
    int error; // after the input
    int status;
    std::string out; // without breakdown lines
    std::string err;
};

class DecodeStdin : public testing::TestWithParam<StdinCase> {};

// Each line is printed as it is read: what came before a bad line or a failed read stays printed.
TEST_P(DecodeStdin, PrintsUpToTheFirstBadLine) {
    const auto& c = GetParam();
    struct FailingReader final : ByteReader {
        FailingReader(std::string_view input, int failure) : text(input), error(failure) {}
        ReadResult read(std::span<char> buffer) override {
            const ReadResult result = text.read(buffer);
            return result.size > 0 || error == 0 ? result : ReadResult{0, error};
        }
        MemoryReader text;
        int error;
    } in(c.input, c.error);
    const auto result = decodeWithInput({"--stdin"}, in);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(withoutBreakdown(result.out), c.out);
    EXPECT_EQ(result.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeStdin,
    testing::Values(
        StdinCase{"badWord", "10FA0000\n\n1 2 x\x1b\n10FA0000\n", 0, 2,
                  "10FA0000  System Real-Time / Common  Start \u2014 Grp 1\n"
                  "  short: Start\n"
                  "  verbose: Start\n",
                  "umbrascope-cli decode: line 3: expected a word of 1 to 8 hex digits, found "
                  "'x\\x1B'\n"},
        StdinCase{"lineTooLong", "10FA0000\n" + std::string(70'000, '0') + "\n", 0, 2,
                  "10FA0000  System Real-Time / Common  Start \u2014 Grp 1\n"
                  "  short: Start\n"
                  "  verbose: Start\n",
                  "umbrascope-cli decode: line 2: expected a line of at most 65536 bytes\n"},
        StdinCase{"readErrorIsNotTheEnd", "10FA0000\n", EIO, 1,
                  "10FA0000  System Real-Time / Common  Start \u2014 Grp 1\n"
                  "  short: Start\n"
                  "  verbose: Start\n",
                  "umbrascope-cli decode: cannot read standard input: Input/output error\n"}),
    [](const auto& p) { return p.param.name; });

TEST(DecodeStdinFile, FolderAsInputIsAReadError) {
    std::FILE* folder = std::fopen("/", "r");
    ASSERT_NE(folder, nullptr);
    FileReader in(folder);
    const auto result = decodeWithInput({"--stdin"}, in);
    std::fclose(folder);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "umbrascope-cli decode: cannot read standard input: Is a directory\n");
}

TEST(DecodeOptionsEnd, DashWordAfterDoubleDash) {
    const auto result = decodeWithInput({"--", "-1"}, "");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("found '-1'"), std::string::npos);
}

} // namespace
} // namespace umbrascope::cli
