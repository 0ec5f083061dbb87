#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

#include "UiTestSupport.hpp"
#include "app/AppInfo.hpp"
#include "support/WindowFixture.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MonitorController.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/TextBlock.hpp"

namespace umbrascope {
namespace {

using test::button;
using test::named;
using test::press;
using test::type;
using test::waitFor;
using testing_support::midi2NoteOn;
using testing_support::Texts;
using testing_support::timingClock;

// A real monitor window and its sheets bound to a ContentView on fakes.
class Bound : public ::testing::Test {
public:
    void SetUp() override {
        controller = std::make_unique<MonitorController>(*w.view, window);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        w.queue.drain(); // the first scan of sources
    }
    void TearDown() override { controller.reset(); }

    void receive(std::size_t count, const testing_support::Words& words = midi2NoteOn(60)) {
        w.receive(std::vector<testing_support::Words>(count, words));
    }
    void settle() {
        w.queue.drain();
        window.messageModel().flush();
    }
    QDialog* frontSheet() const { return controller->sheet(); }
    int openSheetCount() const {
        int n = 0;
        for (QDialog* d : window.findChildren<QDialog*>())
            n += d->isVisible() ? 1 : 0;
        return n;
    }
    QString countText() const {
        return window.findChild<QLabel*>(QStringLiteral("messageCount"))->text();
    }
    bool badgeShown(const char* name) const {
        return window.findChild<TextBlock*>(QString::fromUtf8(name))->isVisible();
    }

    testing_support::Window w;
    MonitorWindow window;
    std::unique_ptr<MonitorController> controller;
};

TEST_F(Bound, KeysWorkWithoutAClickAndTheWindowShowsWhatTheyChanged) {
    EXPECT_TRUE(w.view->isWindowFocused());
    const struct {
        char key;
        const char* button;
        bool checked;
    } cases[] = {
        {'s', "No Active Sensing", true},
        {'C', "No MIDI Clock", true},
        {'u', "Only UMP-Native Connections", true},
        {'l', "MIDI 1.0 Protocol Only", true},
        {'1', "MIDI 1.0 Channel Voice", false},
        {'8', "UMP Stream", false},
        {'i', "Last Interrupts", true},
        {'k', "Tick on Message", true},
        {'T', "TTS Short", true},
    };
    for (const auto& c : cases) {
        type(c.key);
        w.queue.drain();
        EXPECT_EQ(button(window, c.button)->isChecked(), c.checked) << c.key;
    }
    press(Qt::Key_Down);
    type('[');
    w.queue.drain();
    EXPECT_EQ(named<QSlider>(window, "Speech volume")->value(), 90);
    EXPECT_EQ(named<QSlider>(window, "Speech rate")->value(), 45);
    EXPECT_EQ(w.spoken().back(), "Speech Rate Slower") << "announced by the view";
}

TEST_F(Bound, ControlsActThroughTheViewsAnnouncementsAndTheSlidersSilently) {
    MIDIManager& manager = w.view->midiManager();
    const struct {
        const char* button;
        std::function<bool()> done;
        const char* spoken;
    } clicks[] = {
        {"No MIDI Clock", [&] { return manager.hideMidiClock(); }, "MIDI Clock Off"},
        {"Flex Data",
         [&] { return manager.hiddenMessageTypes().contains(UMPMessageType::flexData); },
         "Flex Data Off"},
        {"Last Interrupts", [&] { return w.view->lastInterrupts(); }, "Last Interrupts On"},
        {"Tick on Message", [&] { return w.view->clickOnMessage(); }, "Tick on Message On"},
        {"TTS Verbose", [&] { return w.view->ttsLevel() == TTSLevel::verbose; }, "TTS Verbose"},
        {"Devices", [&] { return w.view->showDeviceSettings(); }, "Devices"},
    };
    w.speechOn();
    for (const auto& c : clicks) {
        w.log->calls.clear();
        button(window, c.button)->click();
        w.queue.drain();
        EXPECT_TRUE(c.done()) << c.button;
        EXPECT_EQ(w.spoken(), Texts{c.spoken}) << c.button;
        if (frontSheet()) frontSheet()->reject();
    }
    w.log->calls.clear();
    emit window.findChild<QComboBox*>(QStringLiteral("bufferPicker"))->activated(2);
    named<QSlider>(window, "Speech rate")->setValue(0);
    named<QSlider>(window, "Speech volume")->setValue(25);
    w.queue.drain();
    EXPECT_EQ(manager.maxMessages(), 5000);
    EXPECT_EQ(w.view->speechAnnouncer().rate(), 0.0f);
    EXPECT_EQ(w.view->speechAnnouncer().volume(), 0.25f);
    EXPECT_TRUE(w.spoken().empty());
}

TEST_F(Bound, TheHeaderCountsTheWholeBufferAndExportNeedsMessages) {
    QAbstractButton* exportButton = button(window, "Export CSV");
    EXPECT_EQ(countText(), QStringLiteral("0 messages"));
    EXPECT_FALSE(exportButton->isEnabled());
    EXPECT_TRUE(
        window.findChild<TextBlock*>(QStringLiteral("titleBlock"))
            ->combinedText()
            .startsWith(QStringLiteral("Umbrascope ") + QString::fromStdString(versionText())));

    receive(1);
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("1 messages"); }));
    EXPECT_TRUE(exportButton->isEnabled());

    receive(2, timingClock);
    type('3'); // hides the System messages in the buffer: the count still includes them
    settle();
    EXPECT_EQ(window.messageModel().rowCount(), 1);
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("3 messages"); }));

    button(window, "Clear")->click();
    EXPECT_FALSE(exportButton->isEnabled());
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("0 messages"); }));
}

TEST_F(Bound, ClearShowsTheIdleBadgeAtOnceAndDropsTheFullBadge) {
    w.speechOn();
    receive(501);
    settle();
    w.log->calls.clear();
    EXPECT_TRUE(badgeShown("bufferFullBadge"));
    EXPECT_FALSE(badgeShown("idleBadge"));
    EXPECT_EQ(window.messageList().endElementHeight(), MessageListView::busyEndHeight);

    button(window, "Clear")->click(); // no turn of the event loop in between
    EXPECT_TRUE(badgeShown("idleBadge"));
    EXPECT_FALSE(badgeShown("bufferFullBadge"));
    EXPECT_EQ(window.messageList().endElementHeight(), MessageListView::idleEndHeight);
    w.queue.drain();
    EXPECT_TRUE(w.spoken().empty());
}

TEST_F(Bound, TheEndElementGrowsWhenIdleAndTheListScrollsToIt) {
    receive(80);
    w.runFor(std::chrono::milliseconds(100)); // the debounced scroll
    QScrollBar* bar = window.messageList().verticalScrollBar();
    ASSERT_TRUE(waitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));
    const int busyMaximum = bar->maximum();

    w.runFor(std::chrono::seconds(3));
    EXPECT_TRUE(badgeShown("idleBadge"));
    EXPECT_EQ(window.messageList().endElementHeight(), MessageListView::idleEndHeight);
    EXPECT_EQ(bar->maximum(), busyMaximum + 29);
    EXPECT_TRUE(waitFor([&] { return bar->value() == bar->maximum(); }));
}

TEST_F(Bound, RowsFollowTheVisibleMessagesBatchByBatchWithoutAReset) {
    QSignalSpy resets(&window.messageModel(), &QAbstractItemModel::modelReset);
    const auto rowsMatchView = [&] {
        const auto visible = w.view->visibleMessages();
        const MessageListModel& model = window.messageModel();
        if (model.rowCount() != static_cast<int>(std::ranges::size(visible))) return false;
        for (int row = 0; row < model.rowCount(); ++row)
            if (model.messageAt(row)->id != visible[row].id) return false;
        return true;
    };
    for (int batch = 0; batch < 4; ++batch) {
        receive(150);
        receive(20, timingClock);
    }
    settle();
    EXPECT_EQ(w.view->midiManager().messages().size(), 500u);
    EXPECT_TRUE(rowsMatchView());
    EXPECT_EQ(resets.size(), 0);
    EXPECT_EQ(
        window.messageModel().data(window.messageModel().index(0, 0), MessageListModel::ClassRole),
        QStringLiteral("MIDI 2.0 Channel Voice"));

    type('c'); // a filter: the list is read again
    settle();
    EXPECT_EQ(resets.size(), 1);
    EXPECT_TRUE(rowsMatchView());
}

bool isSheet(QDialog* sheet, const char* className) {
    return sheet && std::string_view(sheet->metaObject()->className()) == className;
}

TEST_F(Bound, EnterOnTheCurrentRowInspectsItsMessageUntilItLeavesTheBuffer) {
    receive(3);
    settle();
    const MIDIMessage& newest = w.view->midiManager().messages().back();
    window.messageList().setFocus();
    press(Qt::Key_Return);
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage()->id, newest.id);
    EXPECT_TRUE(isSheet(frontSheet(), "umbrascope::BreakdownSheet"));

    // The D key in the sheet: one sheet at a time, the newest request wins.
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == frontSheet(); }));
    type('d');
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_TRUE(w.view->showDeviceSettings());
    EXPECT_TRUE(isSheet(frontSheet(), "umbrascope::DeviceSettingsSheet"));
    EXPECT_TRUE(waitFor([&] { return openSheetCount() == 1; }));
    frontSheet()->reject();

    // A message pushed out of the buffer closes its sheet.
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }));
    press(Qt::Key_Return);
    ASSERT_NE(frontSheet(), nullptr);
    receive(static_cast<std::size_t>(w.view->midiManager().maxMessages()));
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(frontSheet(), nullptr);
    EXPECT_TRUE(waitFor([&] { return openSheetCount() == 0; }));
}

TEST_F(Bound, ARequestWhoseSheetCannotOpenIsWithdrawn) {
    int asked = 0;
    SheetOpeners refusing;
    refusing.deviceSettings = [&](ContentView&, QWidget*) -> QDialog* {
        ++asked;
        return nullptr;
    };
    controller.reset();
    controller = std::make_unique<MonitorController>(*w.view, window, refusing);
    type('d');
    EXPECT_FALSE(w.view->showDeviceSettings());
    type('d');
    EXPECT_EQ(asked, 2) << "the next request asks again";
}

} // namespace
} // namespace umbrascope
