#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <optional>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "CliTestSupport.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/SpeechReports.hpp"

namespace umbrascope::cli {
namespace {

using testing_support::SpeechReports;

struct Limit {
    int resource;
    rlim_t value;
};

// Starts umbrascope-cli with standard input from /dev/null, its output streams to the files
// named, SIGINT at its default (a shell starts background jobs with it ignored) and, when given,
// a resource limit. A limit on processes binds only a user other than root: root's child runs as
// nobody.
pid_t startCli(const std::vector<std::string>& args, const char* outPath, const char* errPath,
               std::optional<Limit> limit = std::nullopt) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open(outPath, O_WRONLY | O_TRUNC);
    const int err = ::open(errPath, O_WRONLY | O_TRUNC);
    if (in < 0 || out < 0 || err < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::signal(SIGINT, SIG_DFL);
    if (limit && limit->resource == RLIMIT_NPROC && ::geteuid() == 0 &&
        (::setgid(65534) != 0 || ::setuid(65534) != 0))
        ::_exit(126);
    const rlimit value{limit ? limit->value : RLIM_INFINITY, limit ? limit->value : RLIM_INFINITY};
    if (limit) ::setrlimit(limit->resource, &value);
    std::vector<char*> argv{const_cast<char*>(UMBRASCOPE_CLI_PATH)};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

// Runs umbrascope-cli to its end: its exit status (-1 when killed) and standard error.
std::pair<int, std::string> runCli(const std::vector<std::string>& args, const char* outPath,
                                   std::optional<Limit> limit = std::nullopt) {
    TempFolder folder;
    const std::string err = folder.write("err", "");
    int status = 0;
    ::waitpid(startCli(args, outPath, err.c_str(), limit), &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(err)};
}

TEST(CliProcess, AFullDiskAndMemoryRunningOutEndWithOneLine) {
    EXPECT_EQ(runCli({"decode", "40903C00", "FFFF0000"}, "/dev/full"),
              std::pair(1, std::string("umbrascope-cli: cannot write the output: No space left on "
                                       "device\n")));
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) // they reserve more memory
    TempFolder folder;
    std::string text;
    for (int i = 0; i < 1'000'000; ++i)
        text += "10F80000\n";
    // The capture needs about 30 MB once read; the program itself runs in 2 MB.
    EXPECT_EQ(runCli({"replay", folder.write("big.ump", text)}, "/dev/null",
                     Limit{RLIMIT_DATA, rlim_t{8} << 20}),
              std::pair(1, std::string("umbrascope-cli: out of memory\n")));
#endif
}

// The built-in synthesizer speaks from a thread of its own; with none to be had, the command
// ends with one line instead of an abort.
TEST(CliProcess, NoThreadToBeHadEndsWithOneLine) {
    EXPECT_EQ(
        runCli({"say", "Note On C4", "--speech", "espeak"}, "/dev/null", Limit{RLIMIT_NPROC, 0}),
        std::pair(1, std::string("umbrascope-cli: cannot start a thread: Resource "
                                 "temporarily unavailable\n")));
}

// Ctrl+C while a paced replay waits: the process ends by the signal, as a shell expects, with
// its speech log written.
TEST(CliProcess, InterruptedReplayEndsBySignalWithItsSpeechLog) {
    TempFolder folder;
    const std::string log = folder.write("speech.log", "");
    const pid_t child = startCli({"replay",
                                  folder.write("a.ump", "40903C00 FFFF0000\n"
                                                        "+3600 40903E00 FFFF0000\n"),
                                  "--pace", "recorded", "--announce", "short", "--speech", "none",
                                  "--speech-log", log},
                                 "/dev/null", "/dev/null");
    const std::string fields = " source=" + std::to_string(replaySourceID("a")) +
                               " voice=default rate=0.50 volume=1.00 \"Note On C4\"\n";
    const std::string spoken = " handed-over" + fields + " spoken" + fields;
    const auto written = [&] { // without the times, which are real here
        std::istringstream lines(readFile(log));
        std::string text;
        for (std::string line; std::getline(lines, line);)
            text += line.substr(std::min(line.find(' '), line.size())) + '\n';
        return text;
    };
    // The first packet is announced; the next one is an hour away.
    EXPECT_TRUE(SpeechReports::waitUntil([&] { return written() == spoken; })) << written();
    ::kill(child, SIGINT);
    int status = 0;
    if (!SpeechReports::waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; })) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        ADD_FAILURE() << "still waiting after SIGINT";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_EQ(written(), spoken);
}

} // namespace
} // namespace umbrascope::cli
