#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "desktop/CommandLine.hpp"

namespace umbrascope::desktop {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    std::variant<MonitorRequest, int> result;
    std::string out;
    std::string err;
};

Outcome run(std::vector<std::string> args) {
    args.insert(args.begin(), "umbrascope");
    std::vector<const char*> argv;
    for (const auto& arg : args)
        argv.push_back(arg.c_str());
    std::ostringstream out;
    std::ostringstream err;
    auto result = readCommandLine(static_cast<int>(argv.size()), argv.data(), out, err);
    return {std::move(result), out.str(), err.str()};
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("umbrascope-desktop-" +
               std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    }
    fs::path dir;
};

TEST_F(CommandLine, RejectsWhatItCannotUseBeforeAnyWindowWithExitCodeTwo) {
    const std::string bad = write("bad.ump", "40903C00 FFFF0000\n# fine so far\nXYZ\n");
    struct Case {
        const char* name;
        std::vector<std::string> args;
        std::string errContains;
    };
    const Case cases[] = {
        {"unknownOption", {"--bogus"}, "--bogus"},
        {"unknownSpeechBackend", {"--speech", "festival"}, "festival"},
        {"badLine", {bad}, bad + ":3: expected 1 to 64 hex words of 8 digits, found 'XYZ'"},
        {"speechLogInMissingFolder",
         {"--speech-log", (dir / "none" / "log.txt").string()},
         (dir / "none" / "log.txt").string()},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.args);
        ASSERT_TRUE(std::holds_alternative<int>(outcome.result)) << c.name;
        EXPECT_EQ(std::get<int>(outcome.result), 2) << c.name;
        EXPECT_NE(outcome.err.find(c.errContains), std::string::npos)
            << c.name << ": " << outcome.err;
        EXPECT_EQ(outcome.out, "") << c.name;
    }
}

TEST_F(CommandLine, HelpAndVersionAnswerOnStandardOutput) {
    const Outcome help = run({"--help"});
    EXPECT_EQ(std::get<int>(help.result), 0);
    for (const char* text : {"Usage: umbrascope", "--demo", "--speech", "files"})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    EXPECT_EQ(help.out.find("--screenshot"), std::string::npos);

    const Outcome version = run({"--version"});
    EXPECT_EQ(std::get<int>(version.result), 0);
    EXPECT_EQ(version.out.rfind("Umbrascope v", 0), 0u) << version.out;
}

TEST_F(CommandLine, CapturesAreReadInOrderAsSources) {
    const std::string keys = write("keys.ump", "40903C00 FFFF0000\n+0.5 40803C00 00000000\n");
    const std::string named = write("pads.ump", "@source Drum Pads\n20993C40\n");
    const Outcome outcome = run({keys, "--demo", named, "--speech", "none"});
    ASSERT_TRUE(std::holds_alternative<MonitorRequest>(outcome.result)) << outcome.err;
    const auto& request = std::get<MonitorRequest>(outcome.result);
    ASSERT_EQ(request.captures.size(), 2u);
    EXPECT_EQ(request.captures[0].sourceName, "keys");
    EXPECT_EQ(request.captures[0].lines.size(), 2u);
    EXPECT_EQ(request.captures[1].sourceName, "Drum Pads");
    EXPECT_TRUE(request.demo);
    EXPECT_EQ(request.speech, "none");
    EXPECT_FALSE(request.screenshot.has_value());
}

} // namespace
} // namespace umbrascope::desktop
