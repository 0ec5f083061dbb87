#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "CliTestSupport.hpp"

namespace umbrascope::cli {
namespace {

struct ProcessResult {
    int status = -1; // exit status, or -1 when killed
    std::string err;
};

// Runs umbrascope-cli with standard output to `outPath` and, when given, a data limit.
ProcessResult runCli(const std::vector<std::string>& args, const char* outPath,
                     std::optional<rlim_t> dataLimit = std::nullopt) {
    int errPipe[2];
    if (::pipe(errPipe) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outPath, O_WRONLY);
        const int in = ::open("/dev/null", O_RDONLY);
        if (out < 0 || in < 0) ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(errPipe[1], 2);
        ::close(errPipe[0]);
        if (dataLimit) {
            const rlimit limit{*dataLimit, *dataLimit};
            ::setrlimit(RLIMIT_DATA, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(UMBRASCOPE_CLI_PATH)};
        for (const auto& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
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
        {"translate", "90", "3C", "64"},
        {"sources"},
        {"--help"},
        {"replay", "--help"},
        {"decode", "40903C00", "FFFF0000"},
        {"replay", capture},
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

} // namespace
} // namespace umbrascope::cli
