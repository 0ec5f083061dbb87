#include <gtest/gtest.h>

#include <filesystem>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

struct TranslateCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string out;
};

const TranslateCase translateCases[] = {
    {"Midi2PortIsTheDefault", {"903C64"}, 0, "40903C00 C9240000\n"},
    {"Midi1Port", {"--protocol", "1", "90", "3C", "64", "F8"}, 0, "20903C64\n10F80000\n"},
    {"OnePacketALine",
     {"F0", "01", "02", "03", "04", "05", "06", "07", "F7"},
     0,
     "30160102 03040506\n30310700 00000000\n"},
    {"LowerCaseAndPrefix", {"--protocol", "1", "0x90", "3c64"}, 0, "20903C64\n"},
    {"NothingComesOut", {"3C"}, 0, ""},
    {"DashDashBeforeBytes", {"--", "90", "3C", "64"}, 0, "40903C00 C9240000\n"},
};

class Translate : public ::testing::TestWithParam<TranslateCase> {};

TEST_P(Translate, PrintsOnePacketALine) {
    const auto result = runCommand(runTranslate, GetParam().args);
    EXPECT_EQ(result.status, GetParam().status) << result.err;
    EXPECT_EQ(result.out, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(Cli, Translate, ::testing::ValuesIn(translateCases),
                         [](const ::testing::TestParamInfo<TranslateCase>& row) {
                             return std::string(row.param.name);
                         });

struct UsageErrorCase {
    const char* name;
    std::vector<std::string> args;
    const char* message;
};

const UsageErrorCase usageErrors[] = {
    {"NoBytes", {}, "expected MIDI 1.0 bytes (see umbrascope-cli translate --help)"},
    {"ProtocolWithoutValue", {"--protocol"}, "option '--protocol' expects a value"},
    {"ProtocolThree", {"--protocol", "3", "90"}, "--protocol expects 1 or 2, found '3'"},
    {"NotHex", {"90", "3G"}, "expected hex bytes such as 90 or 903C64, found '3G'"},
    {"OddDigits", {"903"}, "expected hex bytes such as 90 or 903C64, found '903'"},
    {"EscapeSequence",
     {"\x1b]0;pwned\x07"},
     "expected hex bytes such as 90 or 903C64, found '\\x1B]0;pwned\\x07'"},
};

class TranslateUsage : public ::testing::TestWithParam<UsageErrorCase> {};

TEST_P(TranslateUsage, ExplainsWhatWasExpected) {
    const auto result = runCommand(runTranslate, GetParam().args);
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "umbrascope-cli translate: " + std::string(GetParam().message) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Cli, TranslateUsage, ::testing::ValuesIn(usageErrors),
                         [](const ::testing::TestParamInfo<UsageErrorCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(Sources, WithoutASequencerSaysSoAndSucceeds) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "a sequencer device is present";
    const auto result = runCommand(runSources, {});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "No MIDI sources found\n");
    EXPECT_EQ(result.err, "");
}

TEST(Sources, TakesNoArguments) {
    const auto result = runCommand(runSources, {"extra"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err,
              "umbrascope-cli sources: unexpected argument 'extra' (see umbrascope-cli sources "
              "--help)\n");
}

} // namespace
} // namespace umbrascope::cli
