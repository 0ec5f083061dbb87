#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

#include "CliTestSupport.hpp"
#include "cli/DecodeCommand.hpp"

namespace umbrascope::cli {
namespace {

CommandResult decode(std::vector<std::string> args, std::string_view input = "", int error = 0) {
    // Reads `input`, then fails with `error` unless it is 0.
    struct Reader final : ByteReader {
        Reader(std::string_view input, int failure) : text(input), error(failure) {}
        ReadResult read(std::span<char> buffer) override {
            const ReadResult result = text.read(buffer);
            return result.size > 0 || error == 0 ? result : ReadResult{0, error};
        }
        MemoryReader text;
        int error;
    } in(input, error);
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    const int status = runDecodeWithInput(Arguments(views), in, out, err);
    return {status, out.str(), err.str()};
}

// The message lines alone, without the breakdown lines (indented) and members of JSON.
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

TEST(DecodeOutput, ARunSplitsLikeTheReceivePathEachPacketWithoutRunningStatus) {
    const auto result = decode({"0x20903c64", "40903C00", "FFFF0000"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(withoutBreakdown(result.out),
              "20903C64  MIDI 1.0 Channel Voice  Note On: C4 (60), velocity 100 (78.74%) \u2014 "
              "Ch 1, Grp 1\n"
              "  short: Note On C4\n"
              "  verbose: Note On C4 Velocity 78.74 Percent Channel 1\n"
              "40903C00  FFFF0000  MIDI 2.0 Channel Voice  Note On: C4 (60), velocity 65535 "
              "(100.00%) \u2014 Ch 1, Grp 1\n"
              "  short: Note On C4\n"
              "  verbose: Note On C4 Velocity 100.00 Percent Channel 1\n");
}

TEST(DecodeOutput, JsonFromStandardInputNumbersItsLines) {
    const auto result = decode({"--json", "--stdin"}, "10F80000 10FA0000\r\n\n  F0200000 0 0 0\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(withoutBreakdown(result.out),
              "{\"line\":1,\"words\":[\"10F80000\"],\"type\":\"system\",\"displayName\":"
              "\"System Real-Time / Common\",\"hex\":\"10F80000\",\"description\":\"Timing "
              "Clock \u2014 Grp 1\",\"short\":null,\"verbose\":null}\n"
              "{\"line\":1,\"words\":[\"10FA0000\"],\"type\":\"system\",\"displayName\":"
              "\"System Real-Time / Common\",\"hex\":\"10FA0000\",\"description\":\"Start "
              "\u2014 Grp 1\",\"short\":\"Start\",\"verbose\":\"Start\"}\n"
              "{\"line\":3,\"words\":[\"F0200000\",\"00000000\",\"00000000\",\"00000000\"],"
              "\"type\":\"umpStream\",\"displayName\":\"UMP Stream\",\"hex\":\"F0200000  "
              "00000000  00000000  00000000\",\"description\":\"Start of Clip\",\"short\":\"U. M. "
              "Pea Stream\",\"verbose\":\"Start of Clip\"}\n");
}

TEST(DecodeBreakdown, OneLinePerRowUnderItsMessageSubRowsIndented) {
    const std::string out = decode({"20903C40", "40903C20", "00001800"}).out;
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
    const std::string text = decode({"D0100101", "1B5B324A", "0", "0"}).out; // Flex Data text
    EXPECT_EQ(text.find('\x1b'), std::string::npos);
    EXPECT_NE(text.find("\\x1B[2J"), std::string::npos) << text;
}

// The texts themselves are checked with the breakdown; here their nesting, on one line.
TEST(DecodeBreakdown, JsonCarriesRowsAndTheSpokenTexts) {
    const std::string out = decode({"--json", "40903C20", "00001800"}).out;
    EXPECT_NE(out.find(R"("label":"Attribute Data with subfields:","subRows":[{"hex":"","bits":4,)"
                       R"("label":"Gesture = 1 Normal Strike","subRows":[]},{"hex":"","bits":12,)"),
              std::string::npos)
        << out;
    EXPECT_EQ(out.find('\n'), out.size() - 1);
}

TEST(DecodeErrors, ExitTwoWithOneLineAndNoOutput) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"40903C00", "XYZ"}, "expected a word of 1 to 8 hex digits, found 'XYZ'"},
        {{"--json"}, "expected at least one word (see umbrascope-cli decode --help)"},
        {{"--stdin", "0"}, "expected words either as arguments or with --stdin, not both"},
    };
    for (const auto& [args, message] : rows) {
        const auto result = decode(args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.out, "") << "nothing may be printed half";
        EXPECT_EQ(result.err, "umbrascope-cli decode: " + message + "\n");
    }
}

// Each line is printed as it is read: the line before a bad line or a failed read stays printed.
TEST(DecodeStdin, PrintsUpToTheFirstBadLine) {
    const struct {
        std::string input;
        int error; // after the input
        int status;
        std::string message;
    } rows[] = {
        {"10FA0000\n\n1 2 x\x1b\n10FA0000\n", 0, 2,
         "line 3: expected a word of 1 to 8 hex digits, found 'x\\x1B'"},
        {"10FA0000\n" + std::string(70'000, '0') + "\n", 0, 2,
         "line 2: expected a line of at most 65536 bytes"},
        {"10FA0000\n", EIO, 1, "cannot read standard input: Input/output error"},
    };
    for (const auto& row : rows) {
        const auto result = decode({"--stdin"}, row.input, row.error);
        EXPECT_EQ(result.status, row.status) << row.message;
        EXPECT_EQ(withoutBreakdown(result.out),
                  "10FA0000  System Real-Time / Common  Start \u2014 Grp 1\n"
                  "  short: Start\n"
                  "  verbose: Start\n");
        EXPECT_EQ(result.err, "umbrascope-cli decode: " + row.message + "\n");
    }
}

} // namespace
} // namespace umbrascope::cli
