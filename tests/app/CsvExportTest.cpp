#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/BackgroundQueue.hpp"
#include "app/CsvExport.hpp"
#include "support/MessageFactory.hpp"
#include "support/WindowFixture.hpp"
#include "text/CsvText.hpp"

namespace umbrascope {
namespace {

namespace fs = std::filesystem;
using testing_support::makeMessage;
using testing_support::ManualBackgroundQueue;

// A fresh folder per test, removed afterwards.
class ExportFolder : public testing::Test {
protected:
    void SetUp() override {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        folder = fs::temp_directory_path() / (std::string("umbrascope-export-") + info->name() +
                                              "-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<fs::path> filesIn(const fs::path& dir) const {
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(dir))
            files.push_back(entry.path());
        return files;
    }

    fs::path folder;
};

struct Harness {
    ManualBackgroundQueue background;
    ManualQueue main;
    TTSLevel level = TTSLevel::short_;
    std::vector<std::string> spoken;
    CsvExporter exporter{background, main, [this] { return level; },
                         [this](std::string text) { spoken.push_back(std::move(text)); }};
};

std::vector<MIDIMessage> threeMessages() {
    // The clock would be hidden by "No MIDI Clock"; it is exported all the same.
    return {makeMessage({0x20903C64}), makeMessage({0x10F80000}), makeMessage({0x20904064})};
}

using CsvExport = ExportFolder;

TEST_F(CsvExport, WritesOffTheMainThreadThenSpeaksOnIt) {
    Harness h;
    const fs::path out = folder / "Umbrascope-Export.csv";
    const auto messages = threeMessages();
    h.exporter.exportCSV(messages, out);
    EXPECT_FALSE(fs::exists(out)) << "written before the background queue ran";
    EXPECT_EQ(h.main.pending(), 0u);

    EXPECT_EQ(h.background.runAll(), 1u);
    EXPECT_EQ(read(out), csvText(messages));
    EXPECT_NE(read(out).find("Keys,10F80000,,\n"), std::string::npos);
    EXPECT_TRUE(h.spoken.empty()) << "spoken before the main thread ran";

    h.main.drain();
    EXPECT_EQ(h.spoken, std::vector<std::string>{"Exported 3 Messages"});
    EXPECT_EQ(filesIn(folder), std::vector<fs::path>{out}) << "temporary file left behind";
}

TEST_F(CsvExport, ReadsTheNarrationLevelWhenTheResultArrives) {
    Harness h;
    h.level = TTSLevel::off;
    h.exporter.exportCSV(threeMessages(), folder / "a.csv");
    h.background.runAll();
    h.level = TTSLevel::verbose;
    h.main.drain();
    EXPECT_EQ(h.spoken, std::vector<std::string>{"Exported 3 Messages"});

    h.exporter.exportCSV(threeMessages(), folder / "b.csv");
    h.background.runAll();
    h.level = TTSLevel::off;
    h.main.drain();
    EXPECT_EQ(h.spoken.size(), 1u) << "spoke with narration off";
    EXPECT_TRUE(fs::exists(folder / "b.csv"));
}

TEST_F(CsvExport, FailureSaysExportFailedAndLeavesNoFile) {
    const fs::path regularFile = folder / "not-a-folder";
    std::ofstream(regularFile) << "x";
    const struct {
        const char* name;
        fs::path location;
    } rows[] = {{"parentIsAFile", regularFile / "out.csv"}, {"targetIsAFolder", folder}};
    for (const auto& row : rows) {
        Harness h;
        h.exporter.exportCSV(threeMessages(), row.location);
        h.background.runAll();
        h.main.drain();
        EXPECT_EQ(h.spoken, std::vector<std::string>{"Export Failed"}) << row.name;
        EXPECT_EQ(filesIn(folder), std::vector<fs::path>{regularFile}) << row.name;
        EXPECT_EQ(read(regularFile), "x") << row.name;
    }
}

TEST(WorkerThreadQueue, RunsInOrderAndFinishesQueuedWorkBeforeJoining) {
    std::vector<int> order;
    std::atomic<int> ran{0};
    {
        WorkerThreadQueue queue;
        for (int i = 0; i < 100; ++i)
            queue.post([&order, &ran, i] {
                order.push_back(i); // only the worker thread touches `order`
                ++ran;
            });
    }
    EXPECT_EQ(ran.load(), 100);
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

} // namespace
} // namespace umbrascope
