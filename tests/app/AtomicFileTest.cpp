#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/AtomicFile.hpp"
#include "app/TemporaryFiles.hpp"

namespace umbrascope {
namespace {

namespace fs = std::filesystem;

class AtomicFile : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("umbrascope-atomic-") + info->name() +
                                              "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path write(const std::string& name, std::string_view text) const {
        std::ofstream(folder / name, std::ios::binary) << text;
        return folder / name;
    }
    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Hidden entries are temporary files.
    std::vector<std::string> temporaries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            if (entry.path().filename().string().starts_with(".")) names.push_back(entry.path());
        return names;
    }
    static mode_t modeOf(const fs::path& path) {
        struct stat info {};
        ::lstat(path.c_str(), &info);
        return info.st_mode;
    }

    fs::path folder;
};

std::string notRegular(const fs::path& path) {
    return "cannot replace " + path.string() + ": not a regular file";
}

TEST_F(AtomicFile, RefusesEveryTargetButARegularFile) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const struct {
        const char* name;
        std::function<fs::path()> make;
    } rows[] = {
        {"folder",
         [&] {
             fs::create_directory(folder / "taken");
             return folder / "taken";
         }},
        {"fifo",
         [&] {
             ::mkfifo((folder / "fifo").c_str(), 0644);
             return folder / "fifo";
         }},
        // What `--csv /dev/stdout` names when the output is a pipe or a terminal.
        {"linkToAPipeOfThisProcess",
         [&] {
             fs::create_symlink("/proc/self/fd/" + std::to_string(pipeEnds[1]),
                                folder / "stdout-link");
             return folder / "stdout-link";
         }},
    };
    for (const auto& row : rows) {
        const fs::path target = row.make();
        const mode_t before = modeOf(target);
        EXPECT_EQ(writeFileAtomically(target, "new\n"), notRegular(target)) << row.name;
        EXPECT_EQ(exportTargetProblem(target), notRegular(target)) << row.name;
        EXPECT_EQ(modeOf(target), before) << row.name << ": the target changed kind";
        EXPECT_EQ(temporaries(), std::vector<std::string>{}) << row.name;
    }
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
}

TEST_F(AtomicFile, ReplacesTheFileALinkNamesAndKeepsTheLink) {
    fs::create_directory(folder / "real");
    const struct {
        const char* name;
        fs::path link;
        fs::path linkTarget; // as written in the link
        fs::path file;       // what must hold the new text
    } rows[] = {
        {"relative", folder / "rel.csv", "real/a.csv", folder / "real" / "a.csv"},
        {"absolute", folder / "abs.csv", folder / "real" / "b.csv", folder / "real" / "b.csv"},
        {"chain", folder / "chain.csv", "rel.csv", folder / "real" / "a.csv"},
        {"dangling", folder / "dangling.csv", "real/new.csv", folder / "real" / "new.csv"},
    };
    write("real/a.csv", "old a\n");
    write("real/b.csv", "old b\n");
    for (const auto& row : rows) {
        fs::create_symlink(row.linkTarget, row.link);
        EXPECT_EQ(writeFileAtomically(row.link, row.name), std::nullopt) << row.name;
        EXPECT_TRUE(S_ISLNK(modeOf(row.link))) << row.name << ": the link was replaced";
        EXPECT_EQ(read(row.file), row.name);
    }
    EXPECT_EQ(temporaries(), std::vector<std::string>{});
}

TEST_F(AtomicFile, KeepsTheModeOfTheFileItReplaces) {
    const mode_t savedMask = ::umask(022);
    for (const mode_t mode : {0640u, 0200u}) {
        const fs::path target = write("mode.csv", std::string(1000, 'z'));
        ::chmod(target.c_str(), mode);
        EXPECT_EQ(writeFileAtomically(target, "new\n"), std::nullopt);
        EXPECT_EQ(modeOf(target) & 07777, mode) << std::oct << mode;
        EXPECT_EQ(read(target), "new\n");
        fs::remove(target);
    }
    EXPECT_EQ(writeFileAtomically(folder / "fresh.csv", "new\n"), std::nullopt);
    EXPECT_EQ(modeOf(folder / "fresh.csv") & 07777, 0644u) << "a new file follows the umask";
    ::umask(savedMask);
}

TEST_F(AtomicFile, KeepsTheOwnerWherePermitted) {
    if (::geteuid() != 0) GTEST_SKIP() << "only root may give a file to another owner";
    const fs::path target = write("owned.csv", "old\n");
    ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
    EXPECT_EQ(writeFileAtomically(target, "new\n"), std::nullopt);
    struct stat info {};
    ::stat(target.c_str(), &info);
    EXPECT_EQ(info.st_uid, 4321u);
    EXPECT_EQ(info.st_gid, 4322u);
}

TEST_F(AtomicFile, ReadOnlyFileIsRefused) {
    const fs::path target = write("kept.csv", "old\n");
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(writeFileAtomically(target, "new\n"),
              "cannot replace " + target.string() + ": the file is read-only");
    EXPECT_EQ(read(target), "old\n");
}

TEST_F(AtomicFile, LongestFileNameFits) {
    const fs::path target = folder / (std::string(250, 'n') + ".csv");
    EXPECT_EQ(writeFileAtomically(target, "new\n"), std::nullopt);
    EXPECT_EQ(read(target), "new\n");
    EXPECT_EQ(temporaries(), std::vector<std::string>{});
}

TEST_F(AtomicFile, TemporaryIsRemovedOnEveryFailure) {
    const fs::path target = folder / "out.csv";
    {
        AtomicFileWriter writer(target);
        writer.write("half");
        EXPECT_EQ(temporaries().size(), 1u);
    }
    EXPECT_EQ(temporaries(), std::vector<std::string>{}) << "dropped uncommitted";
    EXPECT_FALSE(fs::exists(target));

    {
        AtomicFileWriter writer(target);
        writer.write("whole");
        fs::create_directory(target); // something else took the name meanwhile
        EXPECT_EQ(writer.commit(), notRegular(target));
    }
    EXPECT_EQ(temporaries(), std::vector<std::string>{}) << "target changed while writing";
    EXPECT_TRUE(fs::is_directory(target));
}

TEST_F(AtomicFile, TemporaryIsRemovedOnAWriteError) {
    const fs::path target = write("out.csv", "old\n");
    const auto writeBeyondTheSizeLimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &small);
        const auto error = writeFileAtomically(target, std::string(10'000, 'x'));
        const bool reported = error == "cannot write " + target.string() + ": File too large";
        std::_Exit(reported && temporaries().empty() && read(target) == "old\n" ? 0 : 1);
    };
    EXPECT_EXIT(writeBeyondTheSizeLimit(), testing::ExitedWithCode(0), "");
}

TEST_F(AtomicFile, TemporaryIsRemovedWhenTheProcessIsStopped) {
    const fs::path target = write("out.csv", "old\n");
    for (const int signal : {SIGINT, SIGTERM}) {
        const auto stopWhileWriting = [&] {
            removeTemporaryFilesOnSignals();
            AtomicFileWriter writer(target);
            writer.write(std::string(1 << 20, 'x'));
            std::raise(signal);
        };
        EXPECT_EXIT(stopWhileWriting(), testing::KilledBySignal(signal), "");
        EXPECT_EQ(temporaries(), std::vector<std::string>{}) << signal;
        EXPECT_EQ(read(target), "old\n");
    }
}

} // namespace
} // namespace umbrascope
