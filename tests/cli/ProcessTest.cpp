#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "CliTestSupport.hpp"
#include "midi/replay/ReplayService.hpp"

namespace umbrascope::cli {
namespace {

// Starts umbrascope-cli with standard input from /dev/null, standard output to `outPath`, standard
// error to `errFd`, SIGINT at its default (a shell starts background jobs with it ignored), and
// `prepare` run in the child first.
pid_t startCli(const std::vector<std::string>& args, const char* outPath, int errFd,
               const std::function<void()>& prepare = {}) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    const int out = ::open(outPath, O_WRONLY);
    const int in = ::open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(errFd, 2);
    ::signal(SIGINT, SIG_DFL);
    if (prepare) prepare();
    std::vector<char*> argv{const_cast<char*>(UMBRASCOPE_CLI_PATH)};
    for (const auto& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
}

struct ProcessResult {
    int status = -1; // exit status, or -1 when killed
    std::string err;
};

// Runs umbrascope-cli to its end with, when given, a data limit.
ProcessResult runCli(const std::vector<std::string>& args, const char* outPath,
                     std::optional<rlim_t> dataLimit = std::nullopt) {
    int errPipe[2];
    if (::pipe(errPipe) != 0) return {};
    const pid_t child = startCli(args, outPath, errPipe[1], [&] {
        ::close(errPipe[0]);
        if (!dataLimit) return;
        const rlimit limit{*dataLimit, *dataLimit};
        ::setrlimit(RLIMIT_DATA, &limit);
    });
    ::close(errPipe[1]);
    ProcessResult result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(errPipe[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        result.err.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(errPipe[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(CliProcess, WriteErrorIsAFailure) {
    TempFolder folder;
    const std::string capture = folder.write("a.ump", "10FA0000\n");
    const std::vector<std::string> rows[] = {
        {"decode", "40903C00", "FFFF0000"},
        {"replay", capture, "--csv", folder.write("out.csv", "")},
    };
    for (const auto& args : rows) {
        const auto result = runCli(args, "/dev/full");
        EXPECT_EQ(result.status, 1) << args[0] << ' ' << args.size();
        EXPECT_EQ(result.err, "umbrascope-cli: cannot write the output: No space left on device\n")
            << args[0] << ' ' << args.size();
    }
}

TEST(CliProcess, OutOfMemoryEndsWithOneLine) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer reserves more memory than the limit allows";
#else
    TempFolder folder;
    std::string text;
    text.reserve(1'000'000 * 9);
    for (int i = 0; i < 1'000'000; ++i)
        text += "10F80000\n";
    const std::string capture = folder.write("big.ump", text);
    // The capture needs about 30 MB once read; the program itself runs in 2 MB.
    const auto result = runCli({"replay", capture}, "/dev/null", rlim_t{8} << 20);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "umbrascope-cli: out of memory\n");
#endif
}

// Ctrl+C while a paced replay waits and the user guide is being read: the process ends by the
// signal, as a shell expects, and the speech log first gets the reading's line, cut off.
TEST(CliProcess, InterruptedReplayEndsBySignalWithItsSpeechLogWhole) {
    TempFolder folder;
    const std::string log = folder.write("speech.log", "");
    const std::vector<std::string> args{
        "replay",       folder.write("a.ump", "40903C00 FFFF0000\n+3600 40903E00 FFFF0000\n"),
        "--pace",       "recorded",
        "--announce",   "short",
        "--keys",       "G@0",
        "--speech",     "espeak", // it speaks in real time, also without a device
        "--speech-log", log};
    const int null = ::open("/dev/null", O_WRONLY);
    const pid_t child =
        startCli(args, "/dev/null", null, [] { ::setenv("SDL_AUDIODRIVER", "dummy", 1); });
    ::close(null);
    // Without the times, which are real here.
    const auto readLog = [&] {
        std::ifstream in(log);
        std::string lines;
        for (std::string line; std::getline(in, line);)
            lines += line.substr(line.find(' ') + 1) + '\n';
        return lines;
    };
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    const auto waitFor = [&](auto condition) {
        for (; !condition(); std::this_thread::sleep_for(std::chrono::milliseconds(10)))
            if (std::chrono::steady_clock::now() > deadline) return false;
        return true;
    };
    const std::string dropped = "dropped-busy source=" + std::to_string(replaySourceID("a")) +
                                " voice=default rate=0.50 volume=1.00 \"Note On C4\"\n";
    // The first packet's announcement finds the guide being read; the next packet is an hour away.
    bool ended = false;
    waitFor([&] {
        ended = ::waitpid(child, &status, WNOHANG) == child;
        return ended || readLog() == dropped;
    });
    if (ended && WIFEXITED(status) && WEXITSTATUS(status) == 1)
        GTEST_SKIP() << "espeak-ng is not available";
    EXPECT_EQ(readLog(), dropped);
    ::kill(child, SIGINT);
    ended = waitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; });
    if (!ended) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }
    EXPECT_TRUE(ended) << "still waiting after SIGINT";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    const std::string written = readLog();
    EXPECT_EQ(written.substr(0, dropped.size()), dropped);
    const std::string reading = written.substr(dropped.size());
    EXPECT_TRUE(reading.starts_with(
        "cut-off source=- voice=default rate=0.50 volume=1.00 \"To stop this reading"))
        << reading.substr(0, 100);
}

} // namespace
} // namespace umbrascope::cli
