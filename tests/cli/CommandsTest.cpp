#include <gtest/gtest.h>

#include <filesystem>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

TEST(Dispatch, OneWordingForEveryCommand) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string err;
    } rows[] = {
        {{"\x1b]0;pwned\x07"},
         2,
         "umbrascope-cli: unknown command '\\x1B]0;pwned\\x07' (see umbrascope-cli --help)\n"},
        {{"translate", "--fast"},
         2,
         "umbrascope-cli translate: unknown option '--fast' (see umbrascope-cli translate "
         "--help)\n"},
        {{"decode", "--yaml", "--help"}, 0, ""}, // help wins over an unknown option
    };
    for (const auto& row : rows) {
        const auto result = runCommand(runCommandLine, row.args);
        EXPECT_EQ(result.status, row.status) << row.err;
        EXPECT_EQ(result.err, row.err);
    }
}

TEST(Translate, PrintsOnePacketALine) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"903C64"}, "40903C00 C9240000\n"}, // a MIDI 2.0 port by default
        {{"--protocol", "1", "90", "3C", "64", "F8"}, "20903C64\n10F80000\n"},
        {{"--protocol", "1", "0x90", "3c64"}, "20903C64\n"},
    };
    for (const auto& [args, out] : rows) {
        const auto result = runCommand(runTranslate, args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, out);
    }
}

TEST(Translate, UsageErrorsSayWhatWasExpected) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--protocol", "3", "90"}, "--protocol expects 1 or 2, found '3'"},
        {{"90", "3G"}, "expected hex bytes such as 90 or 903C64, found '3G'"},
        {{"903"}, "expected hex bytes such as 90 or 903C64, found '903'"},
    };
    for (const auto& [args, message] : rows) {
        const auto result = runCommand(runTranslate, args);
        EXPECT_EQ(result.status, 2) << message;
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(result.err, "umbrascope-cli translate: " + message + "\n");
    }
}

TEST(Sources, WithoutASequencerSaysSoAndSucceeds) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "a sequencer device is present";
    const auto result = runCommand(runSources, {});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "No MIDI sources found\n");
    EXPECT_EQ(result.err, "");
}

} // namespace
} // namespace umbrascope::cli
