#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMenuBar>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

#include <unistd.h>

#include "desktop/MonitorApplication.hpp"
#include "desktop/MonitorSession.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/TextBlock.hpp"
#include "ui/UiTestSupport.hpp"

namespace umbrascope::desktop {
namespace {

using test::waitFor;

// Where the system delivers keys: no click has chosen a widget.
QWidget* focusedWidget() {
    QWidget* active = QApplication::activeWindow();
    return active && active->focusWidget() ? active->focusWidget() : active;
}

std::size_t messageCount(MonitorSession& session) {
    return session.view().midiManager().messages().size();
}

TEST(MonitorSession, EveryWindowIsAnIndependentMonitorOfEveryCaptureAndClosingOneKeepsTheOther) {
    MonitorRequest request;
    request.speech = "none";
    const auto keys = std::make_shared<const Capture>(
        parseCapture("40903C00 FFFF0000\n40803C00 00000000\n", "keys.ump"));
    request.captures.push_back(keys);
    request.captures.push_back(
        std::make_shared<const Capture>(parseCapture("@source Pads\n20993C40\n", "pads.ump")));
    MonitorApplication app(std::move(request));
    MonitorSession& first = app.openWindow();
    // Ours, the application's for later windows, and the window's until it has played it.
    EXPECT_EQ(keys.use_count(), 3);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&first.window()));
    // Where the system delivers keys: no click has chosen a widget.
    const auto focused = [] {
        QWidget* active = QApplication::activeWindow();
        return active && active->focusWidget() ? active->focusWidget() : active;
    };
    QTest::keyClick(focused(), Qt::Key_T);
    EXPECT_EQ(first.view().ttsLevel(), TTSLevel::short_) << "a key the moment the window is up";
    QTest::keyClick(focused(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(app.sessions().size(), 2u);
    MonitorSession& second = *app.sessions()[1];
    EXPECT_TRUE(second.window().isVisible());
    ASSERT_TRUE(waitFor([&] { return messageCount(first) == 3 && messageCount(second) == 3; }));
    // Shared, not copied, and let go of by each window once played.
    EXPECT_TRUE(waitFor([&] { return keys.use_count() == 2; })) << keys.use_count();
    // Every line of every capture, from the first.
    EXPECT_EQ(first.view().midiManager().messages().front().sequenceNumber, 0);
    const QString header =
        first.window().findChild<TextBlock*>(QStringLiteral("titleBlock"))->combinedText();
    EXPECT_TRUE(header.endsWith(QStringLiteral("Connected: keys, Pads"))) << header.toStdString();
    EXPECT_EQ(first.window().windowTitle(), QStringLiteral("Umbrascope"));

    first.view().midiManager().setMaxMessages(5000);
    EXPECT_EQ(first.view().ttsLevel(), TTSLevel::short_);
    EXPECT_EQ(second.view().ttsLevel(), TTSLevel::off);
    EXPECT_EQ(second.view().midiManager().maxMessages(), 500);
    first.view().midiManager().clearMessages();
    EXPECT_EQ(messageCount(second), 3u);

    first.window().close();
    ASSERT_TRUE(waitFor([&] { return app.sessions().size() == 1; }));
    EXPECT_EQ(app.sessions()[0].get(), &second);
    EXPECT_TRUE(second.window().isVisible());
}

// A speech log that cannot be written is said once, on stderr and in the notice strip.
TEST(MonitorSession, ASpeechLogThatCannotBeWrittenIsToldOnce) {
    MonitorRequest request;
    request.speech = "none";
    request.speechLog = std::make_shared<SpeechLogFile>("/dev/full");
    MonitorApplication app(request);
    MonitorSession& session = app.openWindow();
    testing::internal::CaptureStderr();
    session.view().chooseTTSLevel(TTSLevel::short_);
    session.view().chooseTTSLevel(TTSLevel::verbose);
    const std::string problem = "cannot write the speech log '/dev/full': No space left on device";
    // A machine without a sequencer says so first in the same strip.
    EXPECT_TRUE(waitFor([&] { return session.view().notice().ends_with(problem); }))
        << session.view().notice();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "umbrascope: " + problem + "\n");
}

// A capture read from a file goes once every window has played it; a later window reads it again.
TEST(MonitorSession, APlayedCaptureIsLetGoOfAndALaterWindowReadsItsFileAgain) {
    namespace fs = std::filesystem;
    const fs::path file =
        fs::temp_directory_path() / ("umbrascope-reread-" + std::to_string(::getpid()) + ".ump");
    std::ofstream(file) << "@source Keys\n20903C64\n20803C00\n";
    MonitorRequest request;
    request.speech = "none";
    request.captures.push_back(std::make_shared<const Capture>(loadCapture(file)));
    request.captureFiles.push_back(file);
    const std::weak_ptr<const Capture> capture = request.captures.front();
    MonitorApplication app(std::move(request));
    MonitorSession& first = app.openWindow();
    ASSERT_TRUE(waitFor([&] { return messageCount(first) == 2; }));
    EXPECT_TRUE(waitFor([&] { return capture.expired(); })) << "held by nothing once played";

    MonitorSession& second = app.openWindow();
    ASSERT_TRUE(waitFor([&] { return messageCount(second) == 2; }));
    EXPECT_EQ(second.view().midiManager().messages().front().sourceName(), "Keys");
    EXPECT_EQ(second.view().notice().find("Capture"), std::string::npos) << second.view().notice();
    fs::remove(file);
}

// The File menu's Open and Save, through their dialogs, in the window as the program builds it.
TEST(MonitorSession, TheFileMenuOpensACaptureAsASourceAndSavesTheBuffer) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("umbrascope-session-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "keys.ump") << "@source Opened Keys\n20903C64\n+0.001 20803C00\n";
    MonitorRequest request;
    request.speech = "none";
    MonitorApplication app(request);
    MonitorSession& session = app.openWindow();
    MonitorWindow& window = session.window();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(window.menuBar()->actions().value(0)->text(), QStringLiteral("&File"));
    auto* open = window.findChild<QAction*>(QStringLiteral("openCaptureAction"));
    auto* save = window.findChild<QAction*>(QStringLiteral("saveCaptureAction"));
    ASSERT_TRUE(open && save);
    EXPECT_EQ(open->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

    const auto dialogNamed = [&](const char* name) {
        QFileDialog* dialog = nullptr;
        waitFor([&] {
            dialog = window.findChild<QFileDialog*>(QLatin1String(name));
            return dialog && dialog->isVisible();
        });
        return dialog;
    };
    QTest::keyClick(focusedWidget(), Qt::Key_O, Qt::ControlModifier);
    QFileDialog* dialog = dialogNamed("captureOpenDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Open Capture"));
    auto* playAtOnce = dialog->findChild<QCheckBox*>();
    ASSERT_NE(playAtOnce, nullptr);
    EXPECT_EQ(playAtOnce->text(), QStringLiteral("Play at once"));
    playAtOnce->setChecked(true);
    dialog->selectFile(QString::fromStdString((folder / "keys.ump").string()));
    static_cast<QDialog*>(dialog)->accept(); // as the Open or Save button does
    const MIDIManager& manager = session.view().midiManager();
    ASSERT_TRUE(waitFor([&] { return messageCount(session) == 2; }));
    EXPECT_EQ(manager.messages().front().sourceName(), "Opened Keys");
    EXPECT_TRUE(std::ranges::any_of(manager.availableSources(), [](const MIDISourceInfo& s) {
        return s.name == "Opened Keys";
    })) << "listed under Devices";

    QTest::keyClick(focusedWidget(), Qt::Key_S, Qt::ControlModifier);
    dialog = dialogNamed("captureSaveDialog");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Save Capture"));
    dialog->selectFile(QString::fromStdString((folder / "saved.ump").string()));
    static_cast<QDialog*>(dialog)->accept(); // as the Open or Save button does
    ASSERT_TRUE(waitFor([&] { return fs::exists(folder / "saved.ump"); }));
    const Capture saved = loadCapture(folder / "saved.ump");
    EXPECT_EQ(saved.sourceName, "Opened Keys");
    EXPECT_EQ(saved.wordStore, (std::vector<std::uint32_t>{0x20903C64, 0x20803C00}));
    fs::remove_all(folder);
}

} // namespace
} // namespace umbrascope::desktop
