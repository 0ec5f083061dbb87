#include <gtest/gtest.h>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

struct DispatchCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    std::string err;
};

class Dispatch : public testing::TestWithParam<DispatchCase> {};

TEST_P(Dispatch, OneWordingForEveryCommand) {
    const auto& c = GetParam();
    const auto result = runCommand(runCommandLine, c.args);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.err, c.err);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Dispatch,
    testing::Values(
        DispatchCase{"unknownCommandEscaped",
                     {"\x1b]0;pwned\x07"},
                     2,
                     "umbrascope-cli: unknown command '\\x1B]0;pwned\\x07' (see umbrascope-cli "
                     "--help)\n"},
        DispatchCase{"unknownCommandWithBom",
                     {"\xEF\xBB\xBF"
                      "decode"},
                     2,
                     "umbrascope-cli: unknown command '\\uFEFFdecode' (see umbrascope-cli "
                     "--help)\n"},
        DispatchCase{"unknownOptionOfEachCommand",
                     {"translate", "--fast"},
                     2,
                     "umbrascope-cli translate: unknown option '--fast' (see umbrascope-cli "
                     "translate --help)\n"},
        DispatchCase{"sameForSay",
                     {"say", "hi", "--fast"},
                     2,
                     "umbrascope-cli say: unknown option '--fast' (see umbrascope-cli say "
                     "--help)\n"},
        DispatchCase{"helpWinsOverAnUnknownOption", {"decode", "--yaml", "--help"}, 0, ""},
        DispatchCase{"commandHelp", {"sources", "-h"}, 0, ""}),
    [](const auto& p) { return p.param.name; });

} // namespace
} // namespace umbrascope::cli
