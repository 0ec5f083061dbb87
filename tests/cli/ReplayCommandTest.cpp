#include <gtest/gtest.h>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

// Sequence number, source and hex of every printed line, so the cases do not depend on the
// description texts.
std::vector<std::string> firstColumns(const std::string& out) {
    std::vector<std::string> result;
    std::istringstream in(out);
    for (std::string line; std::getline(in, line);) {
        std::size_t tab = 0;
        for (int i = 0; i < 3 && tab != std::string::npos; ++i)
            tab = line.find('\t', tab + 1);
        result.push_back(line.substr(0, tab));
    }
    return result;
}

TEST(ReplayOutput, FilesInOrderAndFiltersLeaveGaps) {
    TempFolder folder;
    const std::vector<std::string> files{
        folder.write("keys.ump", "+0.5 20903C64 40903C00 FFFF0000\n10F80000\n10FE0000\n"),
        folder.write("pads.ump", "@source Pad\t2\n+1 10FA0000 80000000\n")};
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{},
         {"0\tkeys\t20903C64", "1\tkeys\t40903C00  FFFF0000", "2\tkeys\t10F80000",
          "3\tkeys\t10FE0000", "4\tPad\\t2\t10FA0000", "5\tPad\\t2\t80000000"}},
        {{"--no-clock", "--no-active-sensing", "--hide-type", "unknown",
          "--hide-type=midi1ChannelVoice"},
         {"1\tkeys\t40903C00  FFFF0000", "4\tPad\\t2\t10FA0000"}},
    };
    for (const auto& [options, expected] : cases) {
        std::vector<std::string> args = files;
        args.insert(args.end(), options.begin(), options.end());
        const auto result = runCommand(runReplay, args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(firstColumns(result.out), expected);
    }
}

TEST(ReplayOutput, ColumnsWithTheSourceNameEscaped) {
    TempFolder folder;
    const auto result = runCommand(
        runReplay, {folder.write("x.ump", "@source Evil\x1b]0;owned\x07\\n\n40903C00 FFFF0000\n")});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "0\tEvil\\x1B]0;owned\\x07\\n\t40903C00  FFFF0000\tMIDI 2.0 Channel "
                          "Voice\tNote On: C4 (60), velocity 65535 (100.00%) \u2014 Ch 1, Grp 1\n");
}

TEST(ReplayOutput, FullBufferSaysSo) {
    TempFolder folder;
    std::string text;
    for (int i = 0; i < 501; ++i)
        text += "10FA0000\n";
    const auto result = runCommand(runReplay, {folder.write("many.ump", text)});
    const auto printed = firstColumns(result.out);
    ASSERT_EQ(printed.size(), 501u);
    EXPECT_EQ(printed.front(), "1\tmany\t10FA0000");
    EXPECT_EQ(printed.back(), "buffer full");
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

// Checked before any capture is read, so a long paced replay never ends in a refusal.
TEST(ReplayCsvExport, TargetThatIsNoRegularFileIsRefusedFirst) {
    TempFolder folder;
    const std::string capture = folder.write("a.ump", "10FA0000\n");
    const std::filesystem::path link = std::filesystem::path(capture).parent_path() / "out.csv";
    std::filesystem::create_symlink("/dev/null", link);
    const auto result = runCommand(runReplay, {capture + ".missing", "--csv", link.string()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err,
              "umbrascope-cli replay: cannot replace " + link.string() + ": not a regular file\n");
}

TEST(ReplayErrors, ExitTwoWithOneLineAndNoOutput) {
    TempFolder folder;
    const std::string good = folder.write("good.ump", "10FA0000\n");
    const std::string bad = folder.write("demo.ump", "10FA0000\n\nXYZ\n");
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--no-clock"}, "expected at least one capture file (see umbrascope-cli replay --help)"},
        {{good, bad}, bad + ":3: expected 1 to 64 hex words of 8 digits, found 'XYZ'"},
        {{good, "--hide-type", "MIDI1"},
         "--hide-type expects one of utility, system, midi1ChannelVoice, data64, "
         "midi2ChannelVoice, data128, flexData, umpStream, unknown, found 'MIDI1'"},
        {{good, "--csv", "a.csv", "--csv=b.csv"}, "option '--csv' given more than once"},
        {{good, bad, "--csv", bad},
         "--csv names the capture file '" + bad + "'; choose another file"},
        {{good, bad, "--speech-log", bad},
         "--speech-log names the capture file '" + bad + "'; choose another file"},
    };
    for (const auto& [args, message] : rows) {
        const auto result = runCommand(runReplay, args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "umbrascope-cli replay: " + message + "\n");
        EXPECT_EQ(readFile(bad), "10FA0000\n\nXYZ\n");
    }
}

} // namespace
} // namespace umbrascope::cli
