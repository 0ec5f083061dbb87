#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

struct UsageCase {
    const char* name;
    int (*run)(Arguments, std::ostream&, std::ostream&);
    std::vector<std::string> args; // "GOOD" stands for a capture file written by the test
    std::string err;
};

class SpeechCommandUsage : public testing::TestWithParam<UsageCase> {};

TEST_P(SpeechCommandUsage, ExitTwoWithOneEscapedLine) {
    const auto& c = GetParam();
    TempFolder folder;
    const std::string good = folder.write("good.ump", "10FA0000\n");
    std::vector<std::string> args;
    for (const auto& arg : c.args)
        args.push_back(arg == "GOOD" ? good : arg);
    const auto result = runCommand(c.run, args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    std::string err = result.err;
    if (err.starts_with("Speech: ")) err.erase(0, err.find('\n') + 1); // the backend picked
    EXPECT_EQ(err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpeechCommandUsage,
    testing::Values(
        UsageCase{"sayNothing",
                  runSay,
                  {},
                  "umbrascope-cli say: expected a text to say (see umbrascope-cli say --help)\n"},
        UsageCase{"sayTwoTexts",
                  runSay,
                  {"hello", "world"},
                  "umbrascope-cli say: unexpected argument 'world' (see umbrascope-cli say "
                  "--help)\n"},
        UsageCase{"sayRateAboveOne",
                  runSay,
                  {"hello", "--rate", "1.5"},
                  "umbrascope-cli say: --rate expects a number from 0 to 1, found '1.5'\n"},
        UsageCase{"sayVolumeNotANumber",
                  runSay,
                  {"hello", "--volume", "loud"},
                  "umbrascope-cli say: --volume expects a number from 0 to 1, found 'loud'\n"},
        UsageCase{"sayVoiceWithoutValue",
                  runSay,
                  {"hello", "--voice"},
                  "umbrascope-cli say: option '--voice' expects a value\n"},
        UsageCase{"sayUnknownVoiceEscaped",
                  runSay,
                  {"hello", "--speech", "none", "--voice", "\xEF\xBB\xBFnobody\x1b[2J"},
                  "umbrascope-cli say: no voice '\\uFEFFnobody\\x1B[2J' in none (see "
                  "umbrascope-cli voices)\n"},
        UsageCase{"sayBadBackendEscaped",
                  runSay,
                  {"hello", "--speech", "fest\u202Eival"},
                  "umbrascope-cli say: --speech expects speechd, espeak or none, found "
                  "'fest\\u202Eival'\n"},
        UsageCase{"voicesBadBackendEscaped",
                  runVoices,
                  {"--speech", "\x1b]0;pwned\x07"},
                  "umbrascope-cli voices: --speech expects speechd, espeak or none, found "
                  "'\\x1B]0;pwned\\x07'\n"},
        UsageCase{"voicesUnexpected",
                  runVoices,
                  {"en"},
                  "umbrascope-cli voices: unexpected argument 'en' (see umbrascope-cli voices "
                  "--help)\n"},
        UsageCase{"replayBadPace",
                  runReplay,
                  {"GOOD", "--pace", "slow"},
                  "umbrascope-cli replay: --pace expects fast or recorded, found 'slow'\n"},
        UsageCase{"replayBadLevel",
                  runReplay,
                  {"GOOD", "--announce", "loud"},
                  "umbrascope-cli replay: --announce expects off, short or verbose, found "
                  "'loud'\n"},
        UsageCase{"replayTicksWithValue",
                  runReplay,
                  {"GOOD", "--ticks=1"},
                  "umbrascope-cli replay: option '--ticks' takes no value\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SayCommand, WithoutSpeechReturnsOnceSaid) {
    const auto result = runCommand(runSay, {"Note On C4", "--speech", "none", "--rate", "0.6"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Speech: silent, as asked\n");
}

TEST(ReplayCommand, AnnouncingAndTickingLeavesTheListingAsItWas) {
    setenv("SDL_AUDIODRIVER", "dummy", 1); // ticks must not write a disk driver's file here
    TempFolder folder;
    const auto file =
        folder.write("notes.ump", "+0.01 40903C00 FFFF0000\n+0.01 40904000 FFFF0000\n");
    const auto plain = runCommand(runReplay, {file});
    const auto sounding = runCommand(runReplay, {file, "--pace", "recorded", "--announce", "short",
                                                 "--ticks", "--speech", "none"});
    EXPECT_EQ(sounding.status, 0) << sounding.err;
    EXPECT_EQ(sounding.out, plain.out);
}

} // namespace
} // namespace umbrascope::cli
