#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <QVBoxLayout>
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
#include "ui/NarrationLevelSelector.hpp"
#include "ui/TextBlock.hpp"

namespace umbrascope {
namespace {

using test::waitFor;
using testing_support::midi2NoteOn;
using testing_support::Texts;
using testing_support::timingClock;

QAbstractButton* button(const QWidget& root, const char* text) {
    for (QAbstractButton* b : root.findChildren<QAbstractButton*>())
        if (b->text() == QString::fromUtf8(text)) return b;
    return nullptr;
}

template <typename Widget>
Widget* named(const QWidget& root, const char* accessibleName) {
    for (Widget* w : root.findChildren<Widget*>())
        if (w->accessibleName() == QString::fromUtf8(accessibleName)) return w;
    return nullptr;
}

// Presses a key where the system delivers it: the active window's focused widget.
void press(Qt::Key key, const QString& text = {}) {
    QWidget* active = QApplication::activeWindow();
    QWidget* target = active && active->focusWidget() ? active->focusWidget() : active;
    ASSERT_NE(target, nullptr);
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(target, &event);
}

void type(char character) {
    press(Qt::Key_unknown, QString(QChar(character)));
}

// A real monitor window bound to a ContentView on fakes. The sheets are plain dialogs that record
// their opening and, like the real ones, call the close operation when they close.
class Bound : public ::testing::Test {
public:
    void SetUp() override {
        controller = std::make_unique<MonitorController>(*w.view, window, sheets());
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        w.queue.drain(); // the first scan of sources
    }
    void TearDown() override { controller.reset(); }

    SheetOpeners sheets() {
        const auto opener = [this](const char* name, void (ContentView::*close)()) {
            return [this, name, close](ContentView& view, QWidget* parent) -> QDialog* {
                opened.push_back(name);
                if (refuseSheets) return nullptr;
                auto* dialog = new QDialog(parent);
                dialog->setAttribute(Qt::WA_DeleteOnClose);
                dialog->setWindowModality(Qt::WindowModal);
                dialog->setObjectName(QString::fromUtf8(name));
                auto* layout = new QVBoxLayout(dialog);
                layout->addWidget(new QLineEdit(dialog));
                layout->addWidget(new QPushButton(QStringLiteral("Close"), dialog));
                QObject::connect(dialog, &QDialog::finished, dialog,
                                 [&view, close] { (view.*close)(); });
                dialog->show();
                return dialog;
            };
        };
        return {opener("breakdown", &ContentView::closeBreakdown),
                opener("devices", &ContentView::closeDeviceSettings),
                opener("guide", &ContentView::closeUserGuide)};
    }

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
    std::vector<std::string> opened;
    bool refuseSheets = false;
    std::unique_ptr<MonitorController> controller;
};

TEST_F(Bound, KeysWorkWithoutAClickAndTheWindowShowsWhatTheyChanged) {
    EXPECT_TRUE(w.view->isWindowFocused());
    struct Case {
        const char* name;
        std::function<void()> press;
        std::function<bool(Bound&)> changed;
    };
    const Case cases[] = {
        {"T", [] { type('T'); },
         [](Bound& b) {
             return b.w.view->ttsLevel() == TTSLevel::short_ &&
                    b.window.findChild<NarrationLevelSelector*>()->level() == TTSLevel::short_;
         }},
        {"s", [] { type('s'); },
         [](Bound& b) { return button(b.window, "No Active Sensing")->isChecked(); }},
        {"C", [] { type('C'); },
         [](Bound& b) { return button(b.window, "No MIDI Clock")->isChecked(); }},
        {"u", [] { type('u'); },
         [](Bound& b) { return button(b.window, "Only UMP-Native Connections")->isChecked(); }},
        {"l", [] { type('l'); },
         [](Bound& b) { return button(b.window, "MIDI 1.0 Protocol Only")->isChecked(); }},
        {"1", [] { type('1'); },
         [](Bound& b) { return !button(b.window, "MIDI 1.0 Channel Voice")->isChecked(); }},
        {"8", [] { type('8'); },
         [](Bound& b) { return !button(b.window, "UMP Stream")->isChecked(); }},
        {"i", [] { type('i'); },
         [](Bound& b) { return button(b.window, "Last Interrupts")->isChecked(); }},
        {"k", [] { type('k'); },
         [](Bound& b) { return button(b.window, "Tick on Message")->isChecked(); }},
        {"downArrow", [] { press(Qt::Key_Down); },
         [](Bound& b) { return named<QSlider>(b.window, "Speech volume")->value() == 90; }},
        {"[", [] { type('['); },
         [](Bound& b) { return named<QSlider>(b.window, "Speech rate")->value() == 45; }},
    };
    for (const Case& c : cases) {
        c.press();
        w.queue.drain();
        EXPECT_TRUE(c.changed(*this)) << c.name;
    }
    // With the level raised by T, every switch after it was announced.
    EXPECT_EQ(w.spoken(),
              (Texts{"TTS Short", "Active Sensing Off", "MIDI Clock Off",
                     "Only U. M. Pea-Native Connections On", "MIDI 1 point 0 Protocol Only On",
                     "MIDI 1.0 Channel Voice Off", "U. M. Pea Stream Off", "Last Interrupts On",
                     "Tick on Message On", "TTS Volume Down", "Speech Rate Slower"}));
}

TEST_F(Bound, KeysTypedIntoATextFieldAreText) {
    type('d');
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == frontSheet(); }));
    auto* field = frontSheet()->findChild<QLineEdit*>();
    field->setFocus();
    ASSERT_TRUE(waitFor([&] { return QApplication::focusWidget() == field; }));
    type('t');
    EXPECT_EQ(field->text(), QStringLiteral("t"));
    EXPECT_EQ(w.view->ttsLevel(), TTSLevel::off);
    // Elsewhere in the sheet the keys are commands again.
    frontSheet()->findChild<QPushButton*>()->setFocus();
    type('t');
    EXPECT_EQ(w.view->ttsLevel(), TTSLevel::short_);
}

TEST_F(Bound, ControlsActOnTheViewSilentlyOrThroughItsAnnouncements) {
    struct Case {
        const char* name;
        std::function<void(MonitorWindow&)> act;
        std::function<bool(ContentView&)> done;
        Texts spoken;
    };
    const Case cases[] = {
        {"No MIDI Clock",
         [](MonitorWindow& m) { button(m, "No MIDI Clock")->click(); },
         [](ContentView& v) { return v.midiManager().hideMidiClock(); },
         {"MIDI Clock Off"}},
        {"legend",
         [](MonitorWindow& m) { button(m, "Flex Data")->click(); },
         [](ContentView& v) {
             return v.midiManager().hiddenMessageTypes().contains(UMPMessageType::flexData);
         },
         {"Flex Data Off"}},
        {"Last Interrupts",
         [](MonitorWindow& m) { button(m, "Last Interrupts")->click(); },
         [](ContentView& v) { return v.lastInterrupts(); },
         {"Last Interrupts On"}},
        {"Tick on Message",
         [](MonitorWindow& m) { button(m, "Tick on Message")->click(); },
         [](ContentView& v) { return v.clickOnMessage(); },
         {"Tick on Message On"}},
        {"level button",
         [](MonitorWindow& m) { button(m, "TTS Verbose")->click(); },
         [](ContentView& v) { return v.ttsLevel() == TTSLevel::verbose; },
         {"TTS Verbose"}},
        {"the level shown, again",
         [](MonitorWindow& m) { button(m, "TTS Verbose")->click(); },
         [](ContentView& v) { return v.ttsLevel() == TTSLevel::verbose; },
         {"TTS Verbose"}},
        {"buffer picker",
         [](MonitorWindow& m) {
             emit m.findChild<QComboBox*>(QStringLiteral("bufferPicker"))->activated(2);
         },
         [](ContentView& v) { return v.midiManager().maxMessages() == 5000; },
         {}},
        {"rate slider",
         [](MonitorWindow& m) { named<QSlider>(m, "Speech rate")->setValue(0); },
         [](ContentView& v) { return v.speechAnnouncer().rate() == 0.0f; },
         {}},
        {"volume slider",
         [](MonitorWindow& m) { named<QSlider>(m, "Speech volume")->setValue(25); },
         [](ContentView& v) { return v.speechAnnouncer().volume() == 0.25f; },
         {}},
        {"Devices",
         [](MonitorWindow& m) { button(m, "Devices")->click(); },
         [](ContentView& v) { return v.showDeviceSettings(); },
         {"Devices"}},
    };
    w.speechOn();
    for (const Case& c : cases) {
        w.log->calls.clear();
        c.act(window);
        w.queue.drain();
        EXPECT_TRUE(c.done(*w.view)) << c.name;
        EXPECT_EQ(w.spoken(), c.spoken) << c.name;
        if (frontSheet()) frontSheet()->reject();
    }
}

TEST_F(Bound, TheHeaderCountsTheWholeBufferAndExportNeedsMessages) {
    QAbstractButton* exportButton = button(window, "Export CSV");
    EXPECT_EQ(countText(), QStringLiteral("0 messages"));
    EXPECT_FALSE(exportButton->isEnabled());
    EXPECT_EQ(
        window.findChild<TextBlock*>(QStringLiteral("titleBlock"))->combinedText().toStdString(),
        QStringLiteral("Umbrascope %1, Showing Universal MIDI Packet Data, No MIDI sources found")
            .arg(QString::fromStdString(versionText()))
            .toStdString());

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

TEST_F(Bound, ASheetOpensOnItsRequestAndClosingReturnsTheFocusToTheList) {
    type('d');
    ASSERT_NE(frontSheet(), nullptr);
    EXPECT_EQ(opened, (std::vector<std::string>{"devices"}));
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == frontSheet(); }));
    press(Qt::Key_Escape);
    EXPECT_FALSE(w.view->showDeviceSettings());
    EXPECT_EQ(frontSheet(), nullptr);
    EXPECT_TRUE(waitFor([&] {
        return QApplication::focusWidget() == static_cast<QWidget*>(&window.messageList());
    }));

    button(window, "User Guide")->click();
    EXPECT_TRUE(w.view->showUserGuide());
    ASSERT_NE(frontSheet(), nullptr);
    EXPECT_EQ(frontSheet()->objectName(), QStringLiteral("guide"));
}

TEST_F(Bound, EnterOnTheCurrentRowInspectsItsMessageUntilItLeavesTheBuffer) {
    receive(3);
    settle();
    const MIDIMessage& newest = w.view->midiManager().messages().back();
    window.messageList().setFocus();
    press(Qt::Key_Return);
    ASSERT_NE(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(w.view->inspectedMessage()->id, newest.id);
    ASSERT_NE(frontSheet(), nullptr);

    // The D key in the sheet: one sheet at a time, the newest request wins.
    type('d');
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_TRUE(w.view->showDeviceSettings());
    EXPECT_EQ(opened, (std::vector<std::string>{"breakdown", "devices"}));
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
    refuseSheets = true;
    type('d');
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_FALSE(w.view->showDeviceSettings());
    type('d');
    EXPECT_EQ(opened.size(), 2u);
}

// The sheets the program opens, joined to the window: each closes by Escape, clears its request
// and gives the keyboard back to the list.
TEST_F(Bound, TheProgramsSheetsCloseByEscapeAndReturnToTheList) {
    controller.reset();
    controller = std::make_unique<MonitorController>(*w.view, window);
    receive(3);
    settle();
    struct Case {
        const char* name;
        std::function<void()> open;
        const char* sheetClass;
    };
    const Case cases[] = {
        {"Enter on a row",
         [&] {
             window.messageList().setFocus();
             press(Qt::Key_Return);
         },
         "umbrascope::BreakdownSheet"},
        {"D", [] { type('d'); }, "umbrascope::DeviceSettingsSheet"},
        {"User Guide button", [&] { button(window, "User Guide")->click(); },
         "umbrascope::UserGuideSheet"},
    };
    for (const Case& c : cases) {
        c.open();
        const QPointer<QDialog> sheet = frontSheet();
        ASSERT_NE(sheet, nullptr) << c.name;
        EXPECT_STREQ(sheet->metaObject()->className(), c.sheetClass) << c.name;
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == sheet; })) << c.name;
        press(Qt::Key_Escape);
        EXPECT_TRUE(waitFor([&] { return sheet.isNull(); })) << c.name;
        EXPECT_EQ(frontSheet(), nullptr) << c.name;
        EXPECT_FALSE(w.view->inspectedMessage() || w.view->showDeviceSettings() ||
                     w.view->showUserGuide())
            << c.name;
        EXPECT_TRUE(waitFor([&] {
            return QApplication::focusWidget() == static_cast<QWidget*>(&window.messageList());
        })) << c.name;
    }
}

} // namespace
} // namespace umbrascope
