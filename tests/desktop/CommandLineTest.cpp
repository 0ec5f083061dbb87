#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

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
        dir = fs::temp_directory_path() / ("umbrascope-desktop-" + std::to_string(::getpid()));
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    std::string write(const std::string& name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return (dir / name).string();
    }
    fs::path dir;
};

// Refusals (exit code 2) come before any window; either way one output stream stays empty.
TEST_F(CommandLine, AnswersOrRefusesBeforeAnyWindow) {
    const std::string bad = write("bad.ump", "40903C00 FFFF0000\n# fine so far\nXYZ\n");
    const std::string missing = (dir / "none" / "log.txt").string();
    struct Case {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string contains; // on standard output for 0, else on standard error
    };
    const Case cases[] = {
        {"help", {"--help"}, 0, "Usage: umbrascope"},
        {"version", {"--version"}, 0, "Umbrascope v"},
        {"unknownOption", {"--bogus"}, 2, "--bogus"},
        {"unknownSpeechBackend", {"--speech", "festival"}, 2, "festival"},
        {"badLine", {bad}, 2, bad + ":3: expected 1 to 64 hex words of 8 digits, found 'XYZ'"},
        {"speechLogInMissingFolder", {"--speech-log", missing}, 2, missing},
    };
    for (const Case& c : cases) {
        const Outcome outcome = run(c.args);
        ASSERT_TRUE(std::holds_alternative<int>(outcome.result)) << c.name;
        EXPECT_EQ(std::get<int>(outcome.result), c.status) << c.name;
        const auto& [shown, empty] =
            c.status == 0 ? std::tie(outcome.out, outcome.err) : std::tie(outcome.err, outcome.out);
        EXPECT_NE(shown.find(c.contains), std::string::npos) << c.name << ": " << shown;
        EXPECT_EQ(empty, "") << c.name;
    }
    EXPECT_EQ(run({"--help"}).out.find("--screenshot"), std::string::npos);
}

// A hostile file name, file text or option value cannot drive the terminal: every control is
// escaped as the CLI escapes it. A FIFO is refused: the window would wait for it unseen.
TEST_F(CommandLine, RefusalsEscapeTerminalControlsAndAFifo) {
    const std::string title = "\x1B]0;pwned\x07";
    const std::string clear = "\x1B[2J";
    const std::string fifo = (dir / "live.ump").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        const char* name;
        std::vector<std::string> args;
        std::string shown;
    } rows[] = {
        {"fileName",
         {(dir / (title + ".ump")).string()},
         (dir / "\\x1B]0;pwned\\x07.ump").string()},
        {"fileText", {write("bad.ump", "10F8" + clear + "\n")}, "found '10F8\\x1B[2J'"},
        {"unknownOption", {"--" + clear}, "--\\x1B[2J"},
        {"speechValue", {"--speech", clear}, "\\x1B[2J"},
        {"fifo", {fifo}, fifo + ": expected a capture file, found a FIFO"},
    };
    for (const auto& row : rows) {
        const Outcome outcome = run(row.args);
        EXPECT_EQ(std::get<int>(outcome.result), 2) << row.name;
        EXPECT_NE(outcome.err.find(row.shown), std::string::npos)
            << row.name << ": " << outcome.err;
        EXPECT_EQ(outcome.err.find('\x1B'), std::string::npos) << row.name;
        EXPECT_EQ(outcome.err.find('\x07'), std::string::npos) << row.name;
    }
}

TEST_F(CommandLine, CapturesAreReadInOrderAsSources) {
    const std::string keys = write("keys.ump", "40903C00 FFFF0000\n+0.5 40803C00 00000000\n");
    const std::string named = write("pads.ump", "@source Drum Pads\n20993C40\n");
    const Outcome outcome = run({keys, "--demo", named, "--speech", "none"});
    ASSERT_TRUE(std::holds_alternative<MonitorRequest>(outcome.result)) << outcome.err;
    const auto& request = std::get<MonitorRequest>(outcome.result);
    ASSERT_EQ(request.captures.size(), 2u);
    EXPECT_EQ(request.captures[0]->sourceName, "keys");
    EXPECT_EQ(request.captures[0]->lines.size(), 2u);
    EXPECT_EQ(request.captures[1]->sourceName, "Drum Pads");
    EXPECT_EQ(request.captureFiles, (std::vector<std::filesystem::path>{keys, named}))
        << "to read again for a later window";
    EXPECT_TRUE(request.demo);
    EXPECT_EQ(request.speech, "none");
    EXPECT_FALSE(request.screenshot.has_value());
}

} // namespace
} // namespace umbrascope::desktop
