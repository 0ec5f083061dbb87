#include <QApplication>
#include <gtest/gtest.h>

#include "desktop/MonitorApplication.hpp"
#include "desktop/MonitorSession.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/TextBlock.hpp"
#include "ui/UiTestSupport.hpp"

namespace umbrascope::desktop {
namespace {

using test::waitFor;

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

} // namespace
} // namespace umbrascope::desktop
