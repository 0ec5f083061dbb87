#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include "app/CaptureFiles.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeSleeper.hpp"
#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testing_support;

// A window whose MIDI is a replay service on the fake clock, with Save and Open on real files in a
// folder of its own; the dialogs' answers wait in `saves` and `opens` for the test to give.
class CaptureFilesTest : public testing::Test {
protected:
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    ManualQueue queue;
    ManualScheduler scheduler{clock};
    ManualBackgroundQueue background;
    AudioEngine engine{nullptr};
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    std::unique_ptr<ContentView> view;
    std::vector<ExportLocationAnswer> saves;
    std::vector<CaptureToOpenAnswer> opens;
    std::vector<std::pair<SourceRef, ReplayPace>> plays;
    std::unique_ptr<CaptureFiles> files;
    fs::path folder;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("umbrascope-capture-" + std::to_string(::getpid()) + "-" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        view = std::make_unique<ContentView>(
            ContentViewServices{service,
                                std::make_unique<FakeSpeechSynthesizer>(log),
                                engine,
                                queue,
                                scheduler,
                                background,
                                clock,
                                {}});
        files = std::make_unique<CaptureFiles>(CaptureFiles::Services{
            *view,
            background,
            queue,
            [this](ExportLocationAnswer answer) { saves.push_back(std::move(answer)); },
            [this](CaptureToOpenAnswer answer) { opens.push_back(std::move(answer)); },
            {[this](std::shared_ptr<const Capture> capture) {
                 return service.addSource(std::move(capture));
             },
             [this](SourceRef source, ReplayPace pace) { plays.emplace_back(source, pace); }}});
        queue.drain();
        view->setTTSLevel(TTSLevel::short_);
    }
    void TearDown() override {
        files.reset();
        view.reset();
        fs::remove_all(folder);
    }

    // Plays a capture into the buffer at its pace, as a source named in its text.
    void receive(const char* text) {
        const SourceRef source = service.addSource(parseCapture(text, "received.ump"));
        queue.drain();
        service.play(source, ReplayPace::recorded, sleeper);
        queue.drain();
    }
    void open(const fs::path& file, bool playAtOnce = false) {
        files->requestOpen();
        opens.back()(CaptureToOpen{file, playAtOnce});
        background.runAll();
        queue.drain();
    }
    std::vector<std::string> sourceNames() const {
        std::vector<std::string> names;
        for (const auto& source : view->midiManager().availableSources())
            names.push_back(source.name);
        return names;
    }
    Texts spoken() {
        queue.drain();
        return log->spokenTexts();
    }
};

TEST_F(CaptureFilesTest, SavedBufferOpensAsASourceThatPlaysItBackAtItsPace) {
    receive("@source Keys\n40903C00 FFFF0000\n+0.5 40803C00 00000000 20903C64\n");
    const fs::path file = folder / "session.ump";
    files->requestSave();
    EXPECT_EQ(spoken().back(), "Save Capture");
    ASSERT_EQ(saves.size(), 1u);
    receive("@source Pads\n+0.25 20993C40\n"); // while the dialog is open
    saves[0](file);
    EXPECT_FALSE(fs::exists(file)) << "written in the background";
    EXPECT_EQ(background.runAll(), 1u);
    queue.drain();
    EXPECT_EQ(spoken().back(), "Saved 4 messages to session.ump");

    open(file, true);
    EXPECT_EQ(spoken().back(), "Opened session.ump as Keys (2)") << "a name of its own";
    ASSERT_EQ(sourceNames(), (std::vector<std::string>{"Keys", "Pads", "Keys (2)"}));
    ASSERT_EQ(plays.size(), 1u) << "played once listed, so enabled";
    EXPECT_EQ(plays[0].second, ReplayPace::asFastAsPossible);

    view->midiManager().clearMessages();
    service.play(plays[0].first, ReplayPace::recorded, sleeper);
    queue.drain();
    const auto& messages = view->midiManager().messages();
    ASSERT_EQ(messages.size(), 4u);
    const std::vector<PacketWords> words{
        {0x40903C00, 0xFFFF0000}, {0x40803C00, 0x00000000}, {0x20903C64}, {0x20993C40}};
    const std::vector<std::chrono::nanoseconds> after{0ms, 500ms, 500ms, 750ms};
    for (std::size_t i = 0; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].words, words[i]) << i;
        EXPECT_EQ(messages[i].timestamp - messages[0].timestamp, after[i]) << i;
        EXPECT_EQ(messages[i].sourceName(), "Keys (2)");
    }
}

TEST_F(CaptureFilesTest, SavingSaysWhatHappenedAndNeedsMessages) {
    files->requestSave();
    EXPECT_EQ(spoken(), Texts{"No Messages To Save"});
    EXPECT_TRUE(saves.empty()) << "no dialog for an empty buffer";

    receive("10F80000\n");
    files->requestSave();
    saves[0](folder); // a folder cannot be replaced
    background.runAll();
    queue.drain();
    EXPECT_EQ(spoken().back(),
              "Save failed: cannot replace " + folder.string() + ": not a regular file");
    files->requestSave();
    saves[1](std::nullopt); // cancelled
    view->setTTSLevel(TTSLevel::off);
    const std::size_t said = spoken().size();
    files->requestSave();
    saves[2](folder / "quiet.ump");
    background.runAll();
    EXPECT_EQ(spoken().back(), "Save Capture") << "nothing when cancelled";
    EXPECT_EQ(spoken().size(), said) << "nothing with narration off";
    EXPECT_TRUE(fs::exists(folder / "quiet.ump"));

    files->requestSave();
    files.reset();
    saves[3](folder / "late.ump"); // answered after the window closed
    EXPECT_EQ(background.runAll(), 0u);
}

TEST_F(CaptureFilesTest, AFileThatCannotBeOpenedIsNamedInTheNoticeAndSaid) {
    std::ofstream(folder / "bad.ump") << "# one good line, one bad\n10F80000\n40903C00 XYZ\n";
    const std::string bad = (folder / "bad.ump").string();
    const std::string missing = (folder / "missing.ump").string();
    const std::vector<std::pair<fs::path, std::string>> failures{
        {folder / "bad.ump",
         "Capture not opened: " + bad + ":3: expected 1 to 64 hex words of 8 digits, found 'XYZ'"},
        {folder / "missing.ump",
         "Capture not opened: " + missing + ": cannot open the file: No such file or directory"},
        {folder,
         "Capture not opened: " + folder.string() + ": expected a capture file, found a directory"},
    };
    for (const auto& [file, notice] : failures) {
        open(file);
        EXPECT_EQ(view->notice(), notice);
        EXPECT_EQ(spoken().back(), notice);
    }
    EXPECT_TRUE(plays.empty());
    EXPECT_TRUE(sourceNames().empty());

    std::ofstream(folder / "good.ump") << "10F80000\n";
    open(folder / "good.ump");
    EXPECT_EQ(view->notice(), "") << "the next file opened takes the notice away";
    EXPECT_EQ(sourceNames(), std::vector<std::string>{"good"});
    ASSERT_EQ(plays.size(), 1u);
    EXPECT_EQ(plays[0].second, ReplayPace::recorded);
}

TEST(CaptureSaveResult, CountsAreGroupedAndTheFileNamed) {
    const std::tuple<std::optional<std::string>, std::size_t, std::string> rows[] = {
        {std::nullopt, 1, "Saved 1 message to a.ump"},
        {std::nullopt, 999, "Saved 999 messages to a.ump"},
        {std::nullopt, 1234, "Saved 1,234 messages to a.ump"},
        {std::nullopt, 1'000'000, "Saved 1,000,000 messages to a.ump"},
        {"disk full", 5, "Save failed: disk full"},
    };
    for (const auto& [failure, count, text] : rows)
        EXPECT_EQ(captureSaveResultText(failure, count, "/home/x/a.ump"), text);
}

} // namespace
} // namespace umbrascope
