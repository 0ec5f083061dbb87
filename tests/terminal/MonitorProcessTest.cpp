#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

// Generous: the machine running the tests may be busy.
constexpr auto deadline = 30s;

std::string tempPath(const std::string& name) {
    return (std::filesystem::temp_directory_path() /
            ("umbrascope-monitor-" + std::to_string(::getpid()) + "-" + name))
        .string();
}

// The monitor on a pseudo-terminal of its own, as a user's shell would start it: the terminal is
// its controlling terminal and its input; its output goes to the terminal or to a pipe.
class MonitorProcess {
public:
    struct Setup {
        std::vector<std::string> args;
        std::vector<std::string> environment{"TERM=xterm"};
        bool outputToPipe = false;
    };

    explicit MonitorProcess(const Setup& setup) {
        winsize size{24, 80, 0, 0};
        if (::openpty(&master_, &slave_, nullptr, nullptr, &size) != 0)
            throw std::runtime_error("openpty");
        ::tcgetattr(slave_, &original_);
        int pipeFds[2] = {-1, -1};
        if (setup.outputToPipe && ::pipe(pipeFds) != 0) throw std::runtime_error("pipe");
        std::vector<std::string> argv{UMBRASCOPE_CLI_PATH, "monitor", "--no-system", "--speech",
                                      "none"};
        argv.insert(argv.end(), setup.args.begin(), setup.args.end());
        std::vector<char*> args, env;
        for (auto& arg : argv)
            args.push_back(arg.data());
        args.push_back(nullptr);
        std::vector<std::string> environment = setup.environment;
        for (auto& entry : environment)
            env.push_back(entry.data());
        env.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setsid();
            ::ioctl(slave_, TIOCSCTTY, 0);
            ::dup2(slave_, 0);
            ::dup2(setup.outputToPipe ? pipeFds[1] : slave_, 1);
            ::dup2(slave_, 2);
            ::execve(args[0], args.data(), env.data());
            ::_exit(127);
        }
        output_ = setup.outputToPipe ? pipeFds[0] : master_;
        if (setup.outputToPipe) ::close(pipeFds[1]);
    }
    ~MonitorProcess() {
        if (pid_ > 0 && !status_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ != master_) ::close(output_);
        ::close(master_);
        ::close(slave_);
    }

    void type(std::string_view keys) const {
        EXPECT_EQ(::write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // Reads the output until `done` holds for all of it so far, or the deadline passes.
    bool readUntil(const std::function<bool(const std::string&)>& done) {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!done(output)) {
            if (std::chrono::steady_clock::now() > end) return false;
            drain(100);
        }
        return true;
    }
    bool readUntil(std::string_view text) {
        return readUntil(
            [text](const std::string& out) { return out.find(text) != std::string::npos; });
    }
    // Raw mode is set up: keys now reach the monitor one by one.
    bool waitForRawMode() const {
        const auto end = std::chrono::steady_clock::now() + deadline;
        for (termios now{}; std::chrono::steady_clock::now() < end;
             std::this_thread::sleep_for(10ms))
            if (::tcgetattr(slave_, &now) == 0 && (now.c_lflag & ICANON) == 0) return true;
        return false;
    }
    // The exit status, or 128 + the signal that ended it; none when it did not end in time.
    std::optional<int> wait() {
        const auto end = std::chrono::steady_clock::now() + deadline;
        while (!status_ && std::chrono::steady_clock::now() < end) {
            int raw = 0;
            if (::waitpid(pid_, &raw, WNOHANG) == pid_)
                status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
            else
                drain(20); // keeps a full terminal from blocking it
        }
        drain(0);
        return status_;
    }
    bool settingsRestored() const {
        termios now{};
        ::tcgetattr(slave_, &now);
        return now.c_lflag == original_.c_lflag && now.c_iflag == original_.c_iflag &&
               now.c_cc[VMIN] == original_.c_cc[VMIN];
    }
    void resize(unsigned short rows, unsigned short columns) const {
        const winsize size{rows, columns, 0, 0};
        ::ioctl(master_, TIOCSWINSZ, &size);
    }
    pid_t pid() const { return pid_; }

    std::string output;

private:
    void drain(int milliseconds) {
        pollfd fd{output_, POLLIN, 0};
        if (::poll(&fd, 1, milliseconds) <= 0) return;
        char buffer[4096];
        const auto n = ::read(output_, buffer, sizeof buffer);
        // The terminal turns each line end into CR LF; the checks look for LF alone.
        for (ssize_t i = 0; i < n; ++i)
            if (buffer[i] != '\r') output += buffer[i];
    }

    int master_ = -1;
    int slave_ = -1;
    int output_ = -1;
    pid_t pid_ = -1;
    termios original_{};
    std::optional<int> status_;
};

std::string writeCapture(const std::string& name, const std::string& text) {
    const std::string path = tempPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const std::string notes = "40903C00 FFFF0000\n40903E00 FFFF0000\n40904000 FFFF0000\n";

// Colour only on the screen, and never with NO_COLOR.
TEST(MonitorProcess, QuitKeysRestoreTheTerminalInEveryMode) {
    const std::string capture = writeCapture("quit.ump", notes);
    const struct {
        const char* name;
        const char* mode;
        const char* key;
        const char* shown;
        bool noColor;
        bool coloured;
    } rows[] = {
        {"linesQ", "--lines", "q", "\n2\t", false, false},
        {"linesCtrlC", "--lines", "\x03", "\n2\t", false, false},
        {"screenQ", "--screen", "q", "Messages: 3", false, true},
        {"screenNoColor", "--screen", "\x03", "Messages: 3", true, false},
        {"jsonCtrlC", "--json", "\x03", "\"sequenceNumber\":2", false, false},
    };
    for (const auto& row : rows) {
        std::vector<std::string> environment{"TERM=xterm"};
        if (row.noColor) environment.push_back("NO_COLOR=1");
        MonitorProcess monitor({{row.mode, capture}, environment});
        ASSERT_TRUE(monitor.readUntil(row.shown)) << row.name << monitor.output;
        ASSERT_TRUE(monitor.waitForRawMode()) << row.name;
        monitor.type(row.key);
        EXPECT_EQ(monitor.wait(), 0) << row.name;
        EXPECT_TRUE(monitor.settingsRestored()) << row.name;
        const bool screen = std::string_view(row.mode) == "--screen";
        EXPECT_EQ(monitor.output.ends_with("\x1b[?25h\x1b[?1049l"), screen) << row.name;
        EXPECT_EQ(monitor.output.find("\x1b[33m40903C00") != std::string::npos, row.coloured)
            << row.name;
        EXPECT_EQ(monitor.output.find("\x1b[7m") != std::string::npos, row.coloured) << row.name;
    }
    std::filesystem::remove(capture);
}

// A terminal screen reader reads each new line once: no cursor movement, no colour, one line
// per message, device text escaped.
TEST(MonitorProcess, LinesCarryNoEscapeSequencesOnATerminalOrAPipe) {
    const std::string capture =
        writeCapture("lines.ump", "@source Evil\x1b[2J\x1b]0;x\x07\n" + notes);
    for (const bool toPipe : {false, true}) {
        // On a pipe, lines are chosen without being asked.
        MonitorProcess monitor(
            {{toPipe ? "--announce=off" : "--lines", capture}, {"TERM=xterm"}, toPipe});
        ASSERT_TRUE(monitor.readUntil("\n2\t")) << monitor.output;
        ASSERT_TRUE(monitor.waitForRawMode());
        monitor.type("q");
        EXPECT_EQ(monitor.wait(), 0);
        EXPECT_TRUE(monitor.settingsRestored());
        EXPECT_EQ(monitor.output.find('\x1b'), std::string::npos) << monitor.output;
        EXPECT_EQ(monitor.output.find('\x07'), std::string::npos) << monitor.output;
        for (const char* line : {"\n0\tEvil\\x1B[2J\\x1B]0;x\\x07\t40903C00  FFFF0000\t",
                                 "\n1\tEvil\\x1B[2J\\x1B]0;x\\x07\t40903E00  FFFF0000\t",
                                 "\n2\tEvil\\x1B[2J\\x1B]0;x\\x07\t40904000  FFFF0000\t"})
            EXPECT_NE(monitor.output.find(line), std::string::npos) << line << monitor.output;
    }
    std::filesystem::remove(capture);
}

// The window's keys reach its ContentView: the status follows, and what it says is logged.
TEST(MonitorProcess, KeysReachTheViewAndItsSpeech) {
    const std::string log = tempPath("speech.log");
    MonitorProcess monitor({{"--lines", "--speech-log", log}});
    ASSERT_TRUE(monitor.readUntil("Monitor started"));
    ASSERT_TRUE(monitor.waitForRawMode());
    monitor.type("tc");
    ASSERT_TRUE(monitor.readUntil("No MIDI Clock: On\n")) << monitor.output;
    EXPECT_NE(monitor.output.find("Narration: TTS Short\n"), std::string::npos);
    monitor.type("q");
    EXPECT_EQ(monitor.wait(), 0);
    std::ifstream file(log);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("\"TTS Short\""), std::string::npos) << text;
    EXPECT_NE(text.find("\"MIDI Clock Off\""), std::string::npos) << text;
    std::filesystem::remove(log);
}

// A resize redraws; a terminal that goes away ends the monitor, its settings put back and its
// recording kept; a suspend that the system refuses (no shell to continue it) leaves the monitor
// working.
TEST(MonitorProcess, ResizeHangupAndSuspendEndCleanly) {
    const std::string capture = writeCapture("hangup.ump", notes);
    const std::string recording = tempPath("recording.ump");
    MonitorProcess monitor({{"--screen", "--record", recording, capture}});
    ASSERT_TRUE(monitor.readUntil("Messages: 3"));
    ASSERT_TRUE(monitor.waitForRawMode());
    monitor.output.clear();
    monitor.resize(30, 100);
    ASSERT_TRUE(monitor.readUntil("Messages: 3")) << "no redraw after the resize";
    monitor.output.clear();
    monitor.type("\x1a");
    ASSERT_TRUE(monitor.readUntil("Messages: 3")) << "no screen after the suspend";
    ASSERT_TRUE(monitor.waitForRawMode());
    ::kill(monitor.pid(), SIGHUP);
    EXPECT_EQ(monitor.wait(), 128 + SIGHUP);
    EXPECT_TRUE(monitor.settingsRestored());
    EXPECT_TRUE(monitor.output.ends_with("\x1b[?25h\x1b[?1049l"));
    // What was recorded is kept.
    std::ifstream file(recording);
    const std::string text((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    EXPECT_NE(text.find(" 40904000 FFFF0000\n"), std::string::npos) << text;
    std::filesystem::remove(recording);
    std::filesystem::remove(capture);
}

} // namespace
