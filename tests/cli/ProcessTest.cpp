#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <poll.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "CliTestSupport.hpp"
#include "app/AtomicFile.hpp"
#include "app/TemporaryFiles.hpp"
#include "cli/StopOnSignals.hpp"
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
    // LeakSanitizer needs a thread of its own at exit, which this limit forbids.
    const char* sanitizer = std::getenv("ASAN_OPTIONS");
    const std::string before = sanitizer ? sanitizer : "";
    ::setenv("ASAN_OPTIONS", (before + ":detect_leaks=0").c_str(), 1);
    const auto result =
        runCli({"say", "Note On C4", "--speech", "espeak"}, "/dev/null", Limit{RLIMIT_NPROC, 0});
    if (sanitizer)
        ::setenv("ASAN_OPTIONS", before.c_str(), 1);
    else
        ::unsetenv("ASAN_OPTIONS");
    EXPECT_EQ(result, std::pair(1, std::string("umbrascope-cli: cannot start a thread: Resource "
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

// Waits for the child to end, killing it when it does not: its wait status.
int endOf(pid_t child, const char* what) {
    int status = 0;
    if (!SpeechReports::waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; })) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        ADD_FAILURE() << what << ": still running after the signal";
    }
    return status;
}

// One byte from `fd`, a minute at most.
bool byteFrom(int fd) {
    pollfd ready{fd, POLLIN, 0};
    char byte = 0;
    return ::poll(&ready, 1, 60'000) == 1 && ::read(fd, &byte, 1) == 1;
}

// Ctrl-C during an export, once or twice: the old file stays and no temporary file is left. The
// export is slowed down by hand: it writes a little at a time, or its disk hangs.
TEST(CliProcess, InterruptedExportKeepsTheOldFileAndLeavesNoTemporary) {
    const struct {
        const char* name;
        int signals;
        bool diskHangs; // the export never gets to look at its stop
    } rows[] = {{"oneSignal", 1, false}, {"twoSignals", 2, true}, {"twoSignalsWriting", 2, false}};
    for (const auto& row : rows) {
        TempFolder folder;
        const std::filesystem::path target = folder.write("out.csv", "old\n");
        int toParent[2], hang[2];
        ASSERT_EQ(::pipe(toParent), 0);
        ASSERT_EQ(::pipe(hang), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            removeTemporaryFilesOnSignals();
            StopOnSignals signals;
            std::stop_callback told(signals.token(), [&] { (void)::write(toParent[1], "s", 1); });
            AtomicFileWriter writer(target, signals.token());
            writer.write("new\n");
            (void)::write(toParent[1], "r", 1);
            char byte = 0;
            if (row.diskHangs) (void)::read(hang[0], &byte, 1); // restarted after a signal
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (writer.write("more\n") && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            const bool replaced = !writer.commit();
            signals.endIfSignalled();
            ::_exit(replaced ? 0 : 3);
        }
        ASSERT_TRUE(byteFrom(toParent[0])) << row.name << ": the export did not start";
        ::kill(child, SIGINT);
        if (row.signals == 2) {
            EXPECT_TRUE(byteFrom(toParent[0])) << row.name << ": the first signal was not taken";
            ::kill(child, SIGINT);
        }
        const int status = endOf(child, row.name);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << row.name << " " << status;
        EXPECT_EQ(readFile(target), "old\n") << row.name;
        std::size_t entries = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::directory_iterator(target.parent_path()))
            ++entries;
        EXPECT_EQ(entries, 1u) << row.name << ": a temporary file was left";
        for (const int fd : {toParent[0], toParent[1], hang[0], hang[1]})
            ::close(fd);
    }
}

// The kernel function a process sleeps in, as /proc shows it.
std::string sleepingIn(pid_t process) {
    return readFile("/proc/" + std::to_string(process) + "/wchan");
}

// One Ctrl-C ends a replay that waits for a FIFO: to open a capture, to read one, or to open its
// speech log.
TEST(CliProcess, OneSignalEndsAReplayWaitingForAFifo) {
    const struct {
        const char* name;
        bool speechLog;  // the FIFO is the speech log, else the capture
        bool writerOpen; // someone writes the capture, and stops mid-line
    } rows[] = {{"captureOpen", false, false},
                {"captureRead", false, true},
                {"speechLogOpen", true, false}};
    for (const auto& row : rows) {
        TempFolder folder;
        const std::string fifo = folder.write("fifo", "");
        std::filesystem::remove(fifo);
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        const std::string err = folder.write("err", "");
        const std::vector<std::string> args =
            row.speechLog ? std::vector<std::string>{"replay", folder.write("a.ump", "10F80000\n"),
                                                     "--speech-log", fifo}
                          : std::vector<std::string>{"replay", fifo};
        const pid_t child = startCli(args, "/dev/null", err.c_str());
        int writer = -1;
        if (row.writerOpen) { // returns once the replay has the FIFO open
            writer = ::open(fifo.c_str(), O_WRONLY);
            ASSERT_GE(writer, 0);
            ASSERT_EQ(::write(writer, "40903C00", 8), 8);
        }
        const bool waiting = SpeechReports::waitUntil([&] {
            const std::string in = sleepingIn(child);
            return in.starts_with("wait_for_partner") || in.find("pipe_read") != std::string::npos;
        });
        if (!waiting) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            GTEST_SKIP() << "/proc does not show where a process waits: " << sleepingIn(child);
        }
        ::kill(child, SIGINT);
        const int status = endOf(child, row.name);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << row.name << " " << status;
        EXPECT_EQ(readFile(err), "") << row.name;
        if (writer >= 0) ::close(writer);
    }
}

} // namespace
} // namespace umbrascope::cli
