#include <gtest/gtest.h>

#include <algorithm>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// Sequence number, source and hex of every printed message; the last columns are checked
// separately so these cases do not depend on the description texts.
std::vector<std::string> firstColumns(const std::string& out) {
    std::vector<std::string> result;
    for (const auto& line : lines(out)) {
        std::size_t tab = 0;
        for (int i = 0; i < 3 && tab != std::string::npos; ++i)
            tab = line.find('\t', tab + 1);
        result.push_back(line.substr(0, tab));
    }
    return result;
}

struct ReplayCase {
    const char* name;
    std::vector<std::string> options;
    std::vector<std::string> expected;
};

class ReplayOutput : public testing::TestWithParam<ReplayCase> {};

TEST_P(ReplayOutput, PrintsTheBuffer) {
    const auto& c = GetParam();
    TempFolder folder;
    std::vector<std::string> args{
        folder.write("keys.ump", "+0.5 20903C64 40903C00 FFFF0000\n10F80000\n10FE0000\n"),
        folder.write("pads.ump", "@source Pad\t2\n+1 10FA0000 80000000\n")};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto result = runCommand(runReplay, args);
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(firstColumns(result.out), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplayOutput,
    testing::Values(
        ReplayCase{"filesInOrder",
                   {},
                   {"0\tkeys\t20903C64", "1\tkeys\t40903C00  FFFF0000", "2\tkeys\t10F80000",
                    "3\tkeys\t10FE0000", "4\tPad\\t2\t10FA0000", "5\tPad\\t2\t80000000"}},
        ReplayCase{"filtersLeaveGaps",
                   {"--no-clock", "--no-active-sensing", "--hide-type", "unknown"},
                   {"0\tkeys\t20903C64", "1\tkeys\t40903C00  FFFF0000", "4\tPad\\t2\t10FA0000"}},
        ReplayCase{"hideTwoTypes",
                   {"--hide-type=midi1ChannelVoice", "--hide-type", "system"},
                   {"1\tkeys\t40903C00  FFFF0000", "5\tPad\\t2\t80000000"}},
        ReplayCase{"replaySourcesAreNative",
                   {"--only-ump"},
                   {"0\tkeys\t20903C64", "1\tkeys\t40903C00  FFFF0000", "2\tkeys\t10F80000",
                    "3\tkeys\t10FE0000", "4\tPad\\t2\t10FA0000", "5\tPad\\t2\t80000000"}}),
    [](const auto& p) { return p.param.name; });

TEST(ReplayColumns, ClassAndDescriptionAfterHex) {
    TempFolder folder;
    const auto result = runCommand(runReplay, {folder.write("a.ump", "40903C00 FFFF0000\n")});
    ASSERT_EQ(result.status, 0);
    const auto printed = lines(result.out);
    ASSERT_EQ(printed.size(), 1u);
    EXPECT_EQ(printed[0].substr(0, printed[0].rfind('\t')),
              "0\ta\t40903C00  FFFF0000\tMIDI 2.0 Channel Voice");
}

TEST(ReplayBuffer, FullBufferSaysSo) {
    TempFolder folder;
    std::string text;
    for (int i = 0; i < 1001; ++i)
        text += "10FA0000\n";
    const std::string file = folder.write("many.ump", text);

    struct Case {
        const char* limit;
        std::size_t messages;
        bool full;
    };
    for (const Case c :
         {Case{"500", 500, true}, Case{"1000", 1000, true}, Case{"5000", 1001, false}}) {
        const auto result = runCommand(runReplay, {file, "--max-messages", c.limit});
        auto printed = lines(result.out);
        ASSERT_FALSE(printed.empty()) << c.limit;
        EXPECT_EQ(printed.back() == "buffer full", c.full) << c.limit;
        EXPECT_EQ(printed.size(), c.messages + (c.full ? 1 : 0)) << c.limit;
        EXPECT_EQ(printed.front().substr(0, printed.front().find('\t')),
                  std::to_string(1001 - c.messages))
            << c.limit;
    }
}

TEST(ReplayDeviceText, ControlCharactersEscaped) {
    TempFolder folder;
    const auto result = runCommand(
        runReplay, {folder.write("x.ump", "@source Evil\x1b]0;owned\x07\\n\n10FA0000\n")});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(firstColumns(result.out),
              (std::vector<std::string>{"0\tEvil\\x1B]0;owned\\x07\\n\t10FA0000"}));
}

TEST(ReplayCsvExport, WritesTheBufferAfterFiltersWithTwoRunningStatuses) {
    TempFolder folder;
    const std::string out = folder.write("out.csv", "old contents\n");
    const auto result = runCommand(
        runReplay, {folder.write("keys.ump", "20903C64 40903C00 FFFF0000\n10F80000\n10FE0000\n"),
                    folder.write("pads.ump", "@source Pad\t2\n10FA0000 80000000\n"), "--no-clock",
                    "--csv", out});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Exported 5 Messages\n");
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(readFile(out),
              "Source,Hex,TTS Short,TTS Verbose\n"
              "keys,20903C64,Note On C4,Note On C4 Velocity 78.74 Percent Channel 1\n"
              "keys,40903C00  FFFF0000,C4,Note On C4 Velocity 100.00 Percent Channel 1\n"
              "keys,10FE0000,,\n"
              "Pad\t2,10FA0000,Start,Start\n"
              "Pad\t2,80000000,Unknown,Unrecognized message type\n");
}

TEST(ReplayCsvExport, FailureSaysWhyExitsOneAndLeavesNoFile) {
    TempFolder folder;
    const std::string notAFolder = folder.write("plain", "x");
    const std::string out = notAFolder + "/out.csv";
    const auto result = runCommand(runReplay, {folder.write("a.ump", "10FA0000\n"), "--csv", out});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_NE(result.err.find("umbrascope-cli replay: "), std::string::npos);
    EXPECT_NE(result.err.find(out), std::string::npos) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
    EXPECT_EQ(readFile(notAFolder), "x");
    EXPECT_FALSE(std::filesystem::exists(out));
}

struct ErrorCase {
    const char* name;
    std::vector<std::string> args; // "GOOD" and "BAD" stand for files written by the test
    std::string err;
};

class ReplayErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ReplayErrors, ExitTwoWithOneLineAndNoOutput) {
    const auto& c = GetParam();
    TempFolder folder;
    const std::string good = folder.write("good.ump", "10FA0000\n");
    const std::string bad = folder.write("demo.ump", "10FA0000\n\nXYZ\n");
    std::vector<std::string> args;
    for (const auto& arg : c.args)
        args.push_back(arg == "GOOD" ? good : arg == "BAD" ? bad : arg);
    const auto result = runCommand(runReplay, args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    std::string err = result.err;
    for (auto at = err.find(bad); at != std::string::npos; at = err.find(bad))
        err.replace(at, bad.size(), "BAD");
    EXPECT_EQ(err, c.err);
    EXPECT_EQ(readFile(bad), "10FA0000\n\nXYZ\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReplayErrors,
    testing::Values(
        ErrorCase{"noFiles",
                  {"--no-clock"},
                  "umbrascope-cli replay: expected at least one capture file (see umbrascope-cli "
                  "replay --help)\n"},
        ErrorCase{"badFileAfterGoodOne",
                  {"GOOD", "BAD"},
                  "umbrascope-cli replay: BAD:3: expected 1 to 64 hex words of 8 digits, found "
                  "'XYZ'\n"},
        ErrorCase{
            "missingFile",
            {"GOOD", "/nonexistent/x.ump"},
            "umbrascope-cli replay: /nonexistent/x.ump: cannot open the file: No such file or "
            "directory\n"},
        ErrorCase{"badLimit",
                  {"GOOD", "--max-messages", "700"},
                  "umbrascope-cli replay: --max-messages expects 500, 1000 or 5000, found "
                  "'700'\n"},
        ErrorCase{"limitWithoutValue",
                  {"GOOD", "--max-messages"},
                  "umbrascope-cli replay: option '--max-messages' expects a value\n"},
        ErrorCase{"badType",
                  {"GOOD", "--hide-type", "MIDI1"},
                  "umbrascope-cli replay: --hide-type expects one of utility, system, "
                  "midi1ChannelVoice, data64, midi2ChannelVoice, data128, flexData, umpStream, "
                  "unknown, found 'MIDI1'\n"},
        ErrorCase{"flagWithValue",
                  {"GOOD", "--no-clock=yes"},
                  "umbrascope-cli replay: option '--no-clock' takes no value\n"},
        ErrorCase{"csvTwice",
                  {"GOOD", "--csv", "a.csv", "--csv=b.csv"},
                  "umbrascope-cli replay: option '--csv' given more than once\n"},
        ErrorCase{"csvOverACapture",
                  {"GOOD", "BAD", "--csv", "BAD"},
                  "umbrascope-cli replay: --csv names the capture file 'BAD'; choose another "
                  "file\n"},
        ErrorCase{"unreadableFile",
                  {"GOOD", "/proc/self/mem"},
                  "umbrascope-cli replay: /proc/self/mem: cannot read the file: Input/output "
                  "error\n"},
        ErrorCase{"endlessFile",
                  {"/dev/zero"},
                  "umbrascope-cli replay: /dev/zero:1: expected a line of at most 65536 bytes\n"},
        ErrorCase{"unknownOption",
                  {"GOOD", "--fast"},
                  "umbrascope-cli replay: unknown option '--fast' (see umbrascope-cli replay "
                  "--help)\n"}),
    [](const auto& p) { return p.param.name; });

// Checked before any capture is read, so a long paced replay never ends in a refusal.
TEST(ReplayCsvExport, TargetThatIsNoRegularFileIsRefusedFirst) {
    TempFolder folder;
    const std::string capture = folder.write("a.ump", "10FA0000\n");
    const std::filesystem::path link = std::filesystem::path(capture).parent_path() / "out.csv";
    std::filesystem::create_symlink("/dev/null", link);
    for (const std::string& file : {capture, capture + ".missing"}) {
        const auto result = runCommand(runReplay, {file, "--csv", link.string()});
        EXPECT_EQ(result.status, 1) << file;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "umbrascope-cli replay: cannot replace " + link.string() +
                                  ": not a regular file\n");
        EXPECT_TRUE(std::filesystem::is_symlink(link));
    }
}

TEST(ReplaySourceName, LongNameIsCutAndToldOnce) {
    TempFolder folder;
    std::string text = "@source " + std::string(10'000, 'n') + "\n";
    for (int i = 0; i < 5; ++i)
        text += "10FA0000\n";
    const std::string file = folder.write("long.ump", text);
    const auto result = runCommand(runReplay, {file});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err,
              "umbrascope-cli replay: warning: " + file + ":1: source name cut to 256 bytes\n");
    const auto printed = lines(result.out);
    ASSERT_EQ(printed.size(), 5u);
    EXPECT_EQ(printed[4].substr(0, printed[4].find("\t10FA0000")),
              "4\t" + std::string(253, 'n') + "\u2026");
}

} // namespace
} // namespace umbrascope::cli
