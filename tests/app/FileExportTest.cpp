#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <numeric>
#include <sstream>
#include <stop_token>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/AtomicFile.hpp"
#include "app/TemporaryFiles.hpp"
#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

namespace fs = std::filesystem;
using namespace testing_support;
using Names = std::vector<std::string>;

// A fresh folder per test, removed afterwards.
class Files : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("umbrascope-app-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder / "real");
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, std::string_view text) const {
        std::ofstream(folder / name, std::ios::binary) << text;
        return folder / name;
    }
    static std::string read(const fs::path& path) {
        std::ostringstream text;
        text << std::ifstream(path, std::ios::binary).rdbuf();
        return text.str();
    }
    // Hidden entries are temporary files.
    Names temporaries() const {
        Names names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path());
        return names;
    }
    static struct stat statOf(const fs::path& path) {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return info;
    }

    fs::path folder;
};

std::string notRegular(const fs::path& path) {
    return "cannot replace " + path.string() + ": not a regular file";
}

using AtomicFile = Files;

TEST_F(AtomicFile, RefusesEveryTargetButARegularFile) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    // What `--csv /dev/stdout` names when the output is a pipe or a terminal.
    fs::create_symlink("/proc/self/fd/" + std::to_string(pipeEnds[1]), folder / "stdout-link");
    for (const fs::path& target : {folder / "real", folder / "stdout-link"}) {
        const mode_t before = statOf(target).st_mode;
        EXPECT_EQ(writeFileAtomically(target, "new\n"), notRegular(target));
        EXPECT_EQ(exportTargetProblem(target), notRegular(target));
        EXPECT_EQ(statOf(target).st_mode, before) << target << " changed kind";
        EXPECT_EQ(temporaries(), Names{});
    }
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

TEST_F(AtomicFile, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    const struct {
        const char* name;
        fs::path linkTarget; // as written in the link
        fs::path file;       // what must hold the new text
    } rows[] = {
        {"relative", "real/a.csv", folder / "real" / "a.csv"},
        {"absolute", folder / "real" / "b.csv", folder / "real" / "b.csv"},
        {"chain", "relative", folder / "real" / "a.csv"},
        {"dangling", "real/new.csv", folder / "real" / "new.csv"},
    };
    write("real/a.csv", "old a\n");
    write("real/b.csv", "old b\n");
    for (const auto& row : rows) {
        fs::create_symlink(row.linkTarget, folder / row.name);
        EXPECT_EQ(writeFileAtomically(folder / row.name, row.name), std::nullopt) << row.name;
        EXPECT_TRUE(S_ISLNK(statOf(folder / row.name).st_mode)) << row.name << ": link replaced";
        EXPECT_EQ(read(row.file), row.name);
    }
    const fs::path longest = folder / (std::string(250, 'n') + ".csv");
    EXPECT_EQ(writeFileAtomically(longest, "new\n"), std::nullopt);
    EXPECT_EQ(read(longest), "new\n");
    EXPECT_EQ(temporaries(), Names{});
}

TEST_F(AtomicFile, KeepsModeAndOwnerOfTheFileItReplacesAndRefusesAReadOnlyOne) {
    const mode_t savedMask = ::umask(022);
    const bool root = ::geteuid() == 0; // only root may give a file to another owner
    for (const mode_t mode : {0640u, 0200u, 0444u}) {
        const fs::path target = write("kept.csv", "old\n");
        ::chmod(target.c_str(), mode);
        ASSERT_TRUE(!root || ::chown(target.c_str(), 4321, 4322) == 0);
        const bool readOnly = (mode & 0222) == 0;
        EXPECT_EQ(writeFileAtomically(target, "new\n"),
                  readOnly ? std::optional("cannot replace " + target.string() +
                                           ": the file is read-only")
                           : std::nullopt);
        const struct stat info = statOf(target);
        EXPECT_EQ(info.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(read(target), readOnly ? "old\n" : "new\n");
        EXPECT_TRUE(!root || (info.st_uid == 4321u && info.st_gid == 4322u));
        fs::remove(target);
    }
    EXPECT_EQ(writeFileAtomically(folder / "fresh.csv", "new\n"), std::nullopt);
    EXPECT_EQ(statOf(folder / "fresh.csv").st_mode & 07777, 0644u) << "a new file: the umask";
    ::umask(savedMask);
}

TEST_F(AtomicFile, TemporaryIsRemovedOnEveryFailure) {
    const fs::path target = folder / "out.csv";
    {
        AtomicFileWriter writer(target);
        writer.write("half");
        EXPECT_EQ(temporaries().size(), 1u);
    }
    EXPECT_EQ(temporaries(), Names{}) << "dropped uncommitted";
    EXPECT_FALSE(fs::exists(target));
    {
        AtomicFileWriter writer(target);
        writer.write("whole");
        fs::create_directory(target); // something else took the name meanwhile
        EXPECT_EQ(writer.commit(), notRegular(target));
    }
    EXPECT_EQ(temporaries(), Names{}) << "target changed while writing";
    EXPECT_TRUE(fs::is_directory(target));

    write("old.csv", "old\n");
    const auto writeBeyondTheSizeLimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
        const auto error = writeFileAtomically(folder / "old.csv", std::string(10'000, 'x'));
        const bool reported =
            error == "cannot write " + (folder / "old.csv").string() + ": File too large";
        std::_Exit(reported && temporaries().empty() && read(folder / "old.csv") == "old\n" ? 0
                                                                                            : 1);
    };
    EXPECT_EXIT(writeBeyondTheSizeLimit(), testing::ExitedWithCode(0), "");

    for (const int signal : {SIGINT, SIGTERM}) {
        const auto stopWhileWriting = [&] {
            removeTemporaryFilesOnSignals();
            AtomicFileWriter writer(folder / "old.csv");
            writer.write(std::string(1 << 20, 'x'));
            std::raise(signal);
        };
        EXPECT_EXIT(stopWhileWriting(), testing::KilledBySignal(signal), "");
        EXPECT_EQ(temporaries(), Names{}) << signal;
        EXPECT_EQ(read(folder / "old.csv"), "old\n");
    }
}

// Where the kernel's rule for shared folders would refuse a link, so does the export: root must
// not replace its own file, nor create one in its private folder, through a link that another
// user planted in /tmp.
TEST_F(AtomicFile, FollowsALinkOnlyWhereTheKernelWould) {
    if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
    constexpr uid_t other = 65534; // nobody
    fs::create_directory(folder / "private");
    ::chmod((folder / "private").c_str(), 0700);
    const struct {
        const char* name;
        mode_t folderMode;
        uid_t folderOwner;
        uid_t linkOwner;
        bool dangling;
        bool followed;
    } rows[] = {
        {"othersLinkInSharedFolder", 01777, 0, other, false, false},
        {"othersDanglingLinkInSharedFolder", 01777, 0, other, true, false},
        {"ownLinkInSharedFolder", 01777, 0, 0, false, true},
        {"folderOwnersLink", 01777, other, other, false, true},
        {"othersLinkInFolderNotSticky", 0777, 0, other, false, true},
        {"othersLinkInStickyGroupFolder", 01770, 0, other, false, true},
    };
    for (const auto& row : rows) {
        const fs::path shared = folder / row.name;
        fs::create_directory(shared);
        ASSERT_EQ(::chown(shared.c_str(), row.folderOwner, 0), 0);
        ::chmod(shared.c_str(), row.folderMode);
        const fs::path file = folder / "private" / (std::string(row.name) + ".csv");
        if (!row.dangling) {
            write("private/" + file.filename().string(), "old\n");
            ::chmod(file.c_str(), 0640);
        }
        const fs::path link = shared / "out.csv";
        fs::create_symlink(file, link);
        ASSERT_EQ(::lchown(link.c_str(), row.linkOwner, row.linkOwner), 0);

        const auto error = writeFileAtomically(link, "new\n");
        if (row.followed) {
            EXPECT_EQ(error, std::nullopt) << row.name;
            EXPECT_EQ(read(file), "new\n") << row.name;
        } else {
            const std::string refused = "cannot replace " + link.string() + ": " + link.string() +
                                        " is another user's link in a shared folder, which the "
                                        "system does not follow";
            EXPECT_EQ(error, refused) << row.name;
            EXPECT_EQ(exportTargetProblem(link), refused) << row.name;
            EXPECT_EQ(fs::exists(file), !row.dangling) << row.name;
            EXPECT_EQ(row.dangling || read(file) == "old\n", true) << row.name;
        }
        EXPECT_TRUE(S_ISLNK(statOf(link).st_mode)) << row.name;
    }
}

// Another user watching the folder must not read an export meant to be private while it is
// written: the temporary file is the owner's alone until the data are complete.
TEST_F(AtomicFile, TemporaryIsPrivateUntilTheDataAreComplete) {
    const mode_t savedMask = ::umask(022);
    const struct {
        const char* name;
        std::optional<mode_t> existing;
        mode_t final;
    } rows[] = {{"readableByAll", 0644, 0644}, {"private", 0600, 0600}, {"new", {}, 0644}};
    for (const auto& row : rows) {
        const fs::path target = folder / (std::string(row.name) + ".csv");
        if (row.existing) {
            write(target.filename(), "old\n");
            ::chmod(target.c_str(), *row.existing);
        }
        AtomicFileWriter writer(target);
        writer.write("half");
        ASSERT_EQ(temporaries().size(), 1u) << row.name;
        EXPECT_EQ(statOf(temporaries()[0]).st_mode & 07777, 0600u) << row.name;
        EXPECT_EQ(writer.commit(), std::nullopt) << row.name;
        EXPECT_EQ(statOf(target).st_mode & 07777, row.final) << row.name;
    }
    ::umask(savedMask);
}

// The cleanup finds the temporary file in its folder, whatever the folder is called by then.
TEST_F(AtomicFile, FolderRenamedWhileWritingKeepsNoTemporary) {
    const auto hiddenIn = [](const fs::path& dir) {
        Names names;
        for (const auto& entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path());
        return names;
    };
    fs::create_directory(folder / "a");
    {
        AtomicFileWriter writer(folder / "a" / "out.csv");
        writer.write("half");
        fs::rename(folder / "a", folder / "b");
    }
    EXPECT_EQ(hiddenIn(folder / "b"), Names{}) << "dropped uncommitted";
    fs::rename(folder / "b", folder / "a");
    const auto stopWhileWriting = [&] {
        removeTemporaryFilesOnSignals();
        AtomicFileWriter writer(folder / "a" / "out.csv");
        writer.write("half");
        fs::rename(folder / "a", folder / "c");
        std::raise(SIGTERM);
    };
    EXPECT_EXIT(stopWhileWriting(), testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(hiddenIn(folder / "c"), Names{}) << "on a signal";
}

// A stop asked for while writing (Ctrl-C in the CLI) keeps the old file.
TEST_F(AtomicFile, StopKeepsTheOldFile) {
    const fs::path target = write("old.csv", "old\n");
    for (const bool beforeCommit : {false, true}) {
        std::stop_source stop;
        AtomicFileWriter writer(target, stop.get_token());
        EXPECT_TRUE(writer.write("new"));
        stop.request_stop();
        EXPECT_EQ(beforeCommit || !writer.write("more"), true);
        EXPECT_EQ(writer.commit(),
                  "cannot replace " + target.string() + ": interrupted, the file is as it was");
        EXPECT_EQ(temporaries(), Names{});
        EXPECT_EQ(read(target), "old\n");
    }
}

using CSVExport = Files;

TEST_F(CSVExport, CopiesTheBufferWhenAnsweredWritesInTheBackgroundAndSpeaksTheResult) {
    const fs::path file = folder / "out.csv";
    Window w;
    w.speechOn();
    w.receive({midi2NoteOn(60), timingClock});
    w.key("c"); // hidden messages are exported too
    w.key("e");
    ASSERT_EQ(w.asks.size(), 1u);
    w.receive({midi1NoteOn}); // while the dialog is open
    w.asks[0](file);
    EXPECT_FALSE(fs::exists(file)) << "written on the main thread";
    EXPECT_EQ(w.background.runAll(), 1u);
    EXPECT_EQ(w.spoken().size(), 3u) << "spoken off the main thread";
    w.queue.drain();
    EXPECT_EQ(w.spoken(),
              (Texts{"Note On C4", "MIDI Clock Off", "Export CSV", "Exported 3 Messages"}));
    std::ifstream in(file);
    EXPECT_EQ(std::count(std::istreambuf_iterator<char>(in), {}, '\n'), 4) << "header and three";

    // The level is read when the result arrives.
    w.speechOn(TTSLevel::off);
    w.view->exportCSV();
    w.asks[1](folder); // a folder: the export fails
    w.background.runAll();
    w.speechOn(TTSLevel::verbose);
    w.queue.drain();
    EXPECT_EQ(w.spoken().back(), "Export Failed");
    w.view->exportCSV();
    w.asks[2](file);
    w.background.runAll();
    w.speechOn(TTSLevel::off);
    w.queue.drain();
    EXPECT_EQ(w.spoken().size(), 5u) << "spoke with speech off";
    EXPECT_EQ(temporaries(), Names{});

    w.view->exportCSV();
    w.asks[3](std::nullopt); // cancelled
    w.view->exportCSV();
    w.view.reset();
    w.asks[4](file); // answered after the window closed
    EXPECT_EQ(w.background.runAll(), 0u);
}

TEST(WorkerThreadQueue, RunsInOrderAndFinishesQueuedWorkBeforeJoining) {
    std::vector<int> order;
    {
        WorkerThreadQueue queue;
        for (int i = 0; i < 100; ++i)
            queue.post([&order, i] { order.push_back(i); }); // only the worker touches `order`
    }
    std::vector<int> expected(100);
    std::iota(expected.begin(), expected.end(), 0);
    EXPECT_EQ(order, expected);
}

} // namespace
} // namespace umbrascope
