#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

TEST(SpeechCommandUsage, ExitTwoWithOneEscapedLine) {
    TempFolder folder;
    const std::string good = folder.write("good.ump", "10FA0000\n");
    const struct {
        int (*run)(Arguments, std::ostream&, std::ostream&);
        std::vector<std::string> args;
        std::string err; // after "umbrascope-cli "
    } rows[] = {
        {runSay, {}, "say: expected a text to say (see umbrascope-cli say --help)"},
        {runSay,
         {"hello", "--rate", "1.5"},
         "say: --rate expects a number from 0 to 1, found '1.5'"},
        {runSay,
         {"hello", "--volume", "loud"},
         "say: --volume expects a number from 0 to 1, found 'loud'"},
        {runSay,
         {"hello", "--speech", "none", "--voice", "\xEF\xBB\xBFnobody\x1b[2J"},
         "say: no voice '\\uFEFFnobody\\x1B[2J' in none (see umbrascope-cli voices)"},
        {runSay,
         {"hello", "--speech", "fest\u202Eival"},
         "say: --speech expects speechd, espeak or none, found 'fest\\u202Eival'"},
        {runReplay,
         {good, "--announce", "loud"},
         "replay: --announce expects off, short or verbose, found 'loud'"},
        {runReplay,
         {good, "--keys", "T@0 x@1"},
         "replay: --keys: 'x@1' (column 5): expected a key (one of "
         "12345678uUsScCtTgGmMkKrRdDeEiIlL[], Up or Down), found 'x'"},
        {runReplay,
         {good, "--keys", "T@0  m"},
         "replay: --keys: 'm' (column 7): expected '@' and a packet number after 'm'"},
        {runReplay,
         {good, "--keys", "T@1\x1b[2J"},
         "replay: --keys: 'T@1\\x1B[2J' (column 4): expected a blank or the end after the packet "
         "number"},
        {runReplay, {good, "--ticks=1"}, "replay: option '--ticks' takes no value"},
    };
    for (const auto& row : rows) {
        const auto result = runCommand(row.run, row.args);
        EXPECT_EQ(result.status, 2) << row.err;
        EXPECT_EQ(result.out, "");
        std::string err = result.err;
        if (err.starts_with("Speech: ")) err.erase(0, err.find('\n') + 1); // the backend picked
        EXPECT_EQ(err, "umbrascope-cli " + row.err + "\n");
    }
}

TEST(SayCommand, WithoutSpeechReturnsOnceSaidAndLogged) {
    TempFolder folder;
    const std::string log = folder.write("speech.log", "old\n");
    const auto result = runCommand(
        runSay, {"Note On C4", "--speech", "none", "--rate", "0.6", "--speech-log", log});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Speech: silent, as asked\n");
    std::ifstream in(log);
    std::string line;
    std::getline(in, line);
    EXPECT_EQ(line.substr(line.find(' ')),
              " spoken source=0 voice=default rate=0.60 volume=1.00 \"Note On C4\"");
    EXPECT_FALSE(std::getline(in, line));
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
