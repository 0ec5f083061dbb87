#include <gtest/gtest.h>

#include <cstdlib>

#include "CliTestSupport.hpp"
#include "app/SettingSwitches.hpp"
#include "cli/ReplayCommand.hpp"

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

// The replay's switch flags come from the window's table: each one is accepted, turns on its
// own switch and no other, and has its line in the usage; without flags every switch is off.
TEST(ReplayOptions, EveryWindowSwitchWithAFlagIsAcceptedAndListed) {
    const std::string usage = run({"replay", "--help"}).out;
    const std::vector<std::string_view> none{"capture.ump"};
    const auto plain = parseReplayOptions(none);
    ASSERT_TRUE(plain);
    for (const SettingSwitchEntry& entry : settingSwitches) {
        EXPECT_FALSE(plain->isOn(entry.setting)) << entry.label;
        if (entry.replayOption.empty()) continue;
        const std::vector<std::string_view> args{"capture.ump", entry.replayOption};
        const auto options = parseReplayOptions(args);
        ASSERT_TRUE(options) << entry.replayOption;
        for (const SettingSwitchEntry& other : settingSwitches)
            EXPECT_EQ(options->isOn(other.setting), other.setting == entry.setting)
                << entry.replayOption << " and " << other.label;
        const std::string line = "\n  " + std::string(entry.replayOption) + " ";
        const std::size_t at = usage.find(line);
        ASSERT_NE(at, std::string::npos) << entry.replayOption << " is missing from\n" << usage;
        // Counted from the newline before it: in the description column of the other options.
        EXPECT_EQ(usage.substr(at, usage.find('\n', at + 1) - at).find(entry.replayHelp), 25u)
            << entry.replayOption;
    }
}

// Announcing and ticking leave the listing as it was.
TEST(ReplayOutput, FilesInOrderFiltersLeaveGapsAndAFullBufferSaysSo) {
    setenv("SDL_AUDIODRIVER", "dummy", 1); // ticks must not write a disk driver's file here
    TempFolder folder;
    const std::vector<std::string> files{
        folder.write("keys.ump", "+0.01 20903C64 40903C00 FFFF0000\n10F80000\n10FE0000\n"),
        folder.write("pads.ump", "@source Pad\t2\n+0.02 10FA0000 80000000\n")};
    const std::vector<std::string> all{"0\tkeys\t20903C64",    "1\tkeys\t40903C00  FFFF0000",
                                       "2\tkeys\t10F80000",    "3\tkeys\t10FE0000",
                                       "4\tPad\\t2\t10FA0000", "5\tPad\\t2\t80000000"};
    // 501 packets in a buffer of 500: the first one goes.
    std::string text = "10FA0000\n";
    std::vector<std::string> kept;
    for (int i = 1; i <= 500; ++i) {
        text += "10FA0000\n";
        kept.push_back(std::to_string(i) + "\tmany\t10FA0000");
    }
    kept.push_back("buffer full");
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {files, all},
        {{files[0], files[1], "--pace", "recorded", "--announce", "short", "--ticks", "--speech",
          "none"},
         all},
        {{files[0], files[1], "--no-clock", "--no-active-sensing", "--hide-type", "unknown",
          "--hide-type=midi1ChannelVoice"},
         {"1\tkeys\t40903C00  FFFF0000", "4\tPad\\t2\t10FA0000"}},
        {{folder.write("many.ump", text)}, kept},
    };
    for (const auto& [args, expected] : cases) {
        std::vector<std::string> command{"replay"};
        command.insert(command.end(), args.begin(), args.end());
        const auto result = run(command);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(firstColumns(result.out), expected);
    }
}

TEST(ReplayOutput, CSVExportWritesTheBufferAfterFiltersWithTwoRunningStatuses) {
    TempFolder folder;
    const std::string out = folder.write("out.csv", "old contents\n");
    const auto result =
        run({"replay", folder.write("keys.ump", "20903C64 40903C00 FFFF0000\n10F80000\n10FE0000\n"),
             folder.write("pads.ump", "@source Pad\t2\n10FA0000 80000000\n"), "--no-clock", "--csv",
             out});
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

} // namespace
} // namespace umbrascope::cli
