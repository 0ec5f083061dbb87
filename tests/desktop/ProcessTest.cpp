#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace umbrascope::desktop {
namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Waits, two minutes at most (a loaded machine starts Qt slowly), until `done` holds.
template <typename Done>
bool waitUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(2);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Starts the window offscreen, silent, with its speech log; standard error to `errPath`. SIGINT
// at its default: a shell starts background jobs with it ignored.
pid_t startWindow(const std::string& logPath, const std::string& errPath) {
    const pid_t child = ::fork();
    if (child != 0) return child;
    const int in = ::open("/dev/null", O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0) ::_exit(127);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err, 2);
    ::signal(SIGINT, SIG_DFL);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::execl(UMBRASCOPE_PATH, UMBRASCOPE_PATH, "--speech", "none", "--speech-log", logPath.c_str(),
            static_cast<char*>(nullptr));
    ::_exit(127);
}

// The first Ctrl+C or SIGTERM closes the window as usual: the process then ends by that signal,
// as a shell expects, with its speech log finished (every utterance handed over has its outcome).
TEST(WindowProcess, ASignalEndsItBySignalWithItsSpeechLogFinished) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("umbrascope-window-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (const int sent : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(sent));
        const std::string log = (folder / "speech.log").string();
        const std::string err = (folder / "err").string();
        const pid_t child = startWindow(log, err);
        // Said once the window's speech is set up, which is after the signals are watched.
        if (!waitUntil([&] { return readFile(err).find("Speech: silent") != std::string::npos; })) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            FAIL() << "never started: " << readFile(err);
        }
        ::kill(child, sent);
        int status = 0;
        if (!waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; })) {
            ::kill(child, SIGKILL);
            ::waitpid(child, &status, 0);
            ADD_FAILURE() << "still running after the signal";
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sent) << status;
        const std::string written = readFile(log);
        EXPECT_TRUE(written.empty() || written.back() == '\n') << written;
        std::istringstream lines(written);
        int underWay = 0;
        for (std::string line; std::getline(lines, line);)
            underWay += line.find(" handed-over ") != std::string::npos ? 1 : -1;
        EXPECT_EQ(underWay, 0) << written;
    }
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace umbrascope::desktop
