#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <set>

#include "MonitorFixture.hpp"
#include "ui/AboutDialog.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
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

// With sources, the header is also read end to end by the screen-reader check.
TEST(MonitorWindow, TheHeaderReadsAsOneElementWithoutSources) {
    MonitorWindow window;
    window.setVersionText(QStringLiteral("v0.1.0 (7)"));
    window.setConnectedSources({});
    QAccessibleInterface* header = QAccessible::queryAccessibleInterface(
        window.findChild<TextBlock*>(QStringLiteral("titleBlock")));
    EXPECT_EQ(header->text(QAccessible::Name),
              QStringLiteral("Umbrascope v0.1.0 (7), Showing Universal MIDI Packet Data, No MIDI "
                             "sources found"));
    EXPECT_EQ(header->childCount(), 0);
}

// Setters show what the view holds without reporting it back as the user's choice.
TEST(MonitorWindow, SettersShowValuesSilentlyAndTheRateSliderSpansTheRange) {
    MonitorWindow window;
    QSignalSpy types(&window, &MonitorWindow::typeShownToggled);
    QSignalSpy filters(&window, &MonitorWindow::switchToggled);
    QSignalSpy rate(&window, &MonitorWindow::rateMoved);
    window.setTypeShown(UMPMessageType::data128, false);
    window.setSwitch(SettingSwitch::midi1ProtocolOnly, true);
    window.setRateRange(0.2f, 0.8f);
    window.setRate(0.8f);
    EXPECT_EQ(types.size() + filters.size() + rate.size(), 0);
    EXPECT_FALSE(button(window, "SysEx (8-bit) / Mixed Data")->isChecked());
    EXPECT_TRUE(button(window, "MIDI 1.0 Protocol Only")->isChecked());
    auto* slider = test::named<QSlider>(window, "Speech rate");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), slider->maximum());

    slider->setValue(0);
    ASSERT_EQ(rate.size(), 1);
    EXPECT_FLOAT_EQ(rate[0][0].toFloat(), 0.2f);
}

// A screen reader reads the level that is on from the focused radio button; Tab stops once.
TEST(MonitorWindowAccess, TheNarrationLevelIsOneStopOnTheLevelThatIsOnAndArrowsChooseIt) {
    MonitorWindow window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QSignalSpy chosen(&window, &MonitorWindow::narrationLevelChosen);
    window.setNarrationLevel(TTSLevel::short_);
    QAbstractButton* off = button(window, "TTS Off");
    QAbstractButton* shortLevel = button(window, "TTS Short");
    QAbstractButton* verbose = button(window, "TTS Verbose");
    const std::vector<QWidget*> stops = test::tabCycle(&window.messageList());
    EXPECT_EQ(std::count(stops.begin(), stops.end(), shortLevel), 1);
    EXPECT_EQ(std::count(stops.begin(), stops.end(), off), 0);
    EXPECT_EQ(std::count(stops.begin(), stops.end(), verbose), 0);

    shortLevel->setFocus(Qt::TabFocusReason);
    QAccessibleInterface* focused = QAccessible::queryAccessibleInterface(shortLevel);
    EXPECT_TRUE(focused->state().focused && focused->state().checked);
    QTest::keyClick(shortLevel, Qt::Key_Right);
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0][0].value<TTSLevel>(), TTSLevel::verbose);
    EXPECT_TRUE(verbose->hasFocus() && verbose->isChecked());
    QTest::keyClick(verbose, Qt::Key_Left);
    QTest::keyClick(shortLevel, Qt::Key_Left);
    ASSERT_EQ(chosen.size(), 3);
    EXPECT_EQ(chosen[2][0].value<TTSLevel>(), TTSLevel::off);
    EXPECT_TRUE(off->hasFocus());
}

// The small words at the ends of the speech sliders are text to read, in light and dark schemes.
TEST(MonitorWindow, TheSliderScaleWordsHaveTheContrastOfText) {
    const QPalette original = QApplication::palette();
    QPalette dark = original;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2B));
    dark.setColor(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    for (const auto& [scheme, palette] : {std::pair{"light", original}, {"dark", dark}}) {
        SCOPED_TRACE(scheme);
        QApplication::setPalette(palette);
        MonitorWindow window;
        const QColor background = window.palette().color(QPalette::Window);
        int found = 0;
        for (QLabel* label : window.findChildren<QLabel*>()) {
            if (!QStringList{"slow", "fast", "soft", "loud"}.contains(label->text())) continue;
            ++found;
            const QColor text = label->palette().color(label->foregroundRole());
            EXPECT_GE(test::contrastRatio(text, background), 4.5) << label->text().toStdString();
        }
        EXPECT_EQ(found, 4);
    }
    QApplication::setPalette(original);
}

// Outside a dialog Qt's buttons ignore Enter; every button of the window must take it.
TEST(MonitorWindowAccess, EnterAndReturnPressTheFocusedButton) {
    MonitorWindow window;
    window.show();
    const struct {
        const char* text;
        void (MonitorWindow::*signal)();
    } buttons[] = {
        {"Devices", &MonitorWindow::devicesClicked},
        {"Export CSV", &MonitorWindow::exportClicked},
        {"Clear", &MonitorWindow::clearClicked},
        {"User Guide", &MonitorWindow::userGuideClicked},
    };
    for (const auto& b : buttons) {
        SCOPED_TRACE(b.text);
        QAbstractButton* button = test::button(window, b.text);
        ASSERT_NE(button, nullptr);
        button->setEnabled(true);
        QSignalSpy pressed(&window, b.signal);
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter})
            QTest::keyClick(button, key);
        EXPECT_EQ(pressed.size(), 2);
    }
}

int unnamedFrames(QAccessibleInterface* node) {
    int count = node->role() == QAccessible::Border ? 1 : 0;
    for (int i = 0; i < node->childCount(); ++i)
        count += unnamedFrames(node->child(i));
    return count;
}

// Screen readers read a plain frame out as "frame"; the rules between the rows are separators.
TEST(MonitorWindowAccess, RulesAreSeparatorsNotFrames) {
    MonitorWindow window;
    window.show();
    EXPECT_EQ(unnamedFrames(QAccessible::queryAccessibleInterface(&window)), 0);
}

// Qt 6.4 gives a closed picker no text and no selection, so screen readers read no value.
TEST(MonitorWindowAccess, ThePickerReadsItsEntryAsText) {
    MonitorWindow window;
    window.show();
    auto* picker = window.findChild<QComboBox*>(QStringLiteral("bufferPicker"));
    ASSERT_NE(picker, nullptr);
    for (const int size : {500, 5000}) {
        window.setBufferSize(size);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(picker);
        ASSERT_NE(iface->textInterface(), nullptr);
        const QString entry = QString::number(size);
        EXPECT_EQ(iface->textInterface()->text(0, iface->textInterface()->characterCount()), entry);
        EXPECT_EQ(iface->text(QAccessible::Name), entry);
    }
}

// The list's scroll bar and the message count change with every arrival; announcing each
// change floods a screen reader. They stay readable on review.
TEST(MonitorWindowAccess, WhatChangesWithEveryArrivalAnnouncesNothing) {
    MonitorWindow window;
    window.show();
    QAccessibleInterface* bar =
        QAccessible::queryAccessibleInterface(window.messageList().verticalScrollBar());
    EXPECT_EQ(bar->valueInterface(), nullptr) << "a value interface sends its every change";
    auto* count = window.findChild<QLabel*>(QStringLiteral("messageCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_FALSE(count->accessibleName().isEmpty()) << "QLabel announces texts only without one";
    window.setMessageCount(3);
    ASSERT_TRUE(test::waitFor([&] { return count->text() == QStringLiteral("3 messages"); }));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(count)->text(QAccessible::Name),
              QStringLiteral("3 messages"));
}

TEST(AboutDialog, FallsBackToTheApplicationIconWithoutTheLogo) {
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(icon));
    const QImage fallback =
        AboutDialog::logoIcon(QStringLiteral(":/no/such/logo.svg")).pixmap(16, 16).toImage();
    EXPECT_EQ(fallback.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_NE(AboutDialog::logoIcon().pixmap(16, 16).toImage().pixelColor(8, 8), QColor(Qt::red));
    QApplication::setWindowIcon(QIcon());
}

const testing_support::Words note = midi2NoteOn(60);

// The monitor window and its sheets bound to the view.
class Bound : public ::testing::Test {
public:
    void SetUp() override { w.bind(); }

    void settle() {
        w.queue.drain();
        window.messageModel().flush();
    }
    QDialog* frontSheet() const { return w.controller->sheet(); }
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

    test::Monitor w;
    MonitorWindow& window = w.window;
};

TEST_F(Bound, KeysAndControlsActThroughTheViewAndTheWindowShowsEveryChange) {
    MIDIManager& manager = w.view->midiManager();
    const auto hidden = [&](UMPMessageType type) {
        return [&manager, type] { return manager.hiddenMessageTypes().contains(type); };
    };
    const struct {
        char key;
        const char* button;
        std::function<bool()> state;
    } switches[] = {
        {'s', "No Active Sensing", [&] { return manager.hideActiveSensing(); }},
        {'C', "No MIDI Clock", [&] { return manager.hideMidiClock(); }},
        {'u', "Only UMP-Native Connections", [&] { return manager.onlyUMPSources(); }},
        {'l', "MIDI 1.0 Protocol Only", [&] { return manager.midi1ProtocolOnly(); }},
        {'1', "MIDI 1.0 Channel Voice", hidden(UMPMessageType::midi1ChannelVoice)},
        {'7', "Flex Data", hidden(UMPMessageType::flexData)},
        {'8', "UMP Stream", hidden(UMPMessageType::umpStream)},
        {'i', "Last Interrupts", [&] { return w.view->lastInterrupts(); }},
        {'k', "Tick on Message", [&] { return w.view->clickOnMessage(); }},
    };
    w.speechOn();
    for (const auto& s : switches) {
        SCOPED_TRACE(s.button);
        QAbstractButton* box = button(window, s.button);
        const bool checked = box->isChecked();
        const bool state = s.state();
        type(s.key); // without a click first
        w.queue.drain();
        EXPECT_NE(s.state(), state);
        EXPECT_NE(box->isChecked(), checked);
        w.log->calls.clear();
        box->click();
        w.queue.drain();
        EXPECT_EQ(s.state(), state);
        EXPECT_EQ(box->isChecked(), checked);
        EXPECT_EQ(w.spoken().size(), 1u) << "announced by the view";
    }
    type('T');
    w.queue.drain();
    EXPECT_TRUE(button(window, "TTS Verbose")->isChecked());
    w.log->calls.clear();
    button(window, "TTS Short")->click();
    w.queue.drain();
    EXPECT_EQ(w.view->ttsLevel(), TTSLevel::short_);
    EXPECT_EQ(w.spoken(), Texts{"TTS Short"});
    w.log->calls.clear();
    button(window, "Devices")->click();
    w.queue.drain();
    EXPECT_TRUE(w.view->showDeviceSettings());
    EXPECT_EQ(w.spoken(), Texts{"Devices"});
    frontSheet()->reject();

    // The keys announce a new rate or volume; the sliders are silent.
    type('-');
    type('[');
    w.queue.drain();
    EXPECT_EQ(named<QSlider>(window, "Speech volume")->value(), 90);
    EXPECT_EQ(named<QSlider>(window, "Speech rate")->value(), 45);
    EXPECT_EQ(w.spoken().back(), "Speech Rate Slower");
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

// Every key of the window, pressed where the system delivers keys, through the real router.
TEST_F(Bound, EveryKeyOfTheTableActsThroughTheRouter) {
    EXPECT_EQ(acceptedKeyCharacters, "12345678uUlLsScCtTkKiIrRdDeEpP[]-=+gGmM");
    const std::map<std::string, std::string> said{
        {"1", "MIDI 1.0 Channel Voice Off"},
        {"2", "MIDI 2.0 Channel Voice Off"},
        {"3", "System Real-Time / Common Off"},
        {"4", "SysEx (7-bit) Off"},
        {"5", "SysEx (8-bit) / Mixed Data Off"},
        {"6", "Utility Off"},
        {"7", "Flex Data Off"},
        {"8", "U. M. Pea Stream Off"},
        {"u", "Only U. M. Pea-Native Connections On"},
        {"l", "MIDI 1 point 0 Protocol Only On"},
        {"s", "Active Sensing Off"},
        {"c", "MIDI Clock Off"},
        {"t", "TTS Verbose"},
        {"k", "Tick on Message On"},
        {"i", "Last Interrupts On"},
        {"r", "Note On C4"},
        {"d", "Devices"},
        {"e", "Export CSV"},
        {"p", "Paused"},
        {"[", "Speech Rate Slower"},
        {"]", "Speech Rate Faster"},
        {"Up", "TTS Volume Up"},
        {"Down", "TTS Volume Down"},
        {"-", "TTS Volume Down"},
        {"=", "TTS Volume Up"},
        {"+", "TTS Volume Up"},
        {"g", "To stop this reading, press G again. Umbrascope shows"},
        {"m", "To stop this reading, press M again. Arrived 0.000 seconds after the start."},
    };
    w.receive(note);
    w.speechOn();
    std::set<std::string> pressed;
    for (const KeyCommandEntry& entry : keyCommands) {
        std::vector<std::string> keys;
        for (const char c : entry.characters)
            keys.emplace_back(1, c);
        if (entry.arrow) keys.emplace_back(arrowName(*entry.arrow));
        for (const std::string& key : keys) {
            SCOPED_TRACE(key);
            pressed.insert(key);
            button(window, "Clear")->setFocus(); // a control without arrows of its own
            w.view->speechAnnouncer().stop();    // else G, M and R stop the reading before
            w.log->calls.clear();
            if (entry.arrow)
                press(*entry.arrow == ArrowKey::up ? Qt::Key_Up : Qt::Key_Down);
            else
                type(key[0]);
            w.queue.drain();
            ASSERT_FALSE(w.spoken().empty());
            EXPECT_TRUE(w.spoken().back().starts_with(said.at(key))) << w.spoken().back();
            if (frontSheet()) frontSheet()->reject();
            if (entry.command == Command::showOrHideType) type(key[0]); // shown again
        }
    }
    EXPECT_EQ(pressed.size(), said.size()) << "every key of the window is in the table";
}

TEST_F(Bound, TheHeaderCountsTheWholeBufferAndExportNeedsMessages) {
    QAbstractButton* exportButton = button(window, "Export CSV");
    EXPECT_EQ(countText(), QStringLiteral("0 messages"));
    EXPECT_FALSE(exportButton->isEnabled());

    w.receive(note);
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("1 messages"); }));
    EXPECT_TRUE(exportButton->isEnabled());

    w.receive(timingClock, 2);
    type('3'); // hides the System messages in the buffer: the count still includes them
    w.receive(note);
    settle();
    EXPECT_EQ(window.messageModel().rowCount(), 2);
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("4 messages"); }));

    button(window, "Clear")->click();
    EXPECT_FALSE(exportButton->isEnabled());
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("0 messages"); }));
}

TEST_F(Bound, LostInputShowsTheNoticeStrip) {
    auto* notice = window.findChild<QLabel*>(QStringLiteral("notice"));
    ASSERT_NE(notice, nullptr);
    window.show();
    EXPECT_TRUE(waitFor([&] { return !notice->isVisible(); }));
    w.service.overruns = 2;
    w.service.notify(MIDINotification::inputOverrun);
    w.queue.drain();
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), QStringLiteral("Incoming MIDI was lost 2 times (input overruns)"));
}

TEST_F(Bound, TheEndElementGrowsWhenIdleAndClearShowsTheIdleBadgeAtOnce) {
    w.speechOn();
    w.receive(note, 501);
    w.runFor(std::chrono::milliseconds(100)); // the debounced scroll
    QScrollBar* bar = window.messageList().verticalScrollBar();
    ASSERT_TRUE(waitFor([&] { return bar->maximum() > 0 && bar->value() == bar->maximum(); }));
    const int busyMaximum = bar->maximum();
    EXPECT_TRUE(badgeShown("bufferFullBadge"));
    EXPECT_FALSE(badgeShown("idleBadge"));
    EXPECT_EQ(window.messageList().endElementHeight(), MessageListView::busyEndHeight);

    w.runFor(std::chrono::seconds(3));
    EXPECT_TRUE(badgeShown("idleBadge"));
    EXPECT_EQ(window.messageList().endElementHeight(), MessageListView::idleEndHeight);
    EXPECT_EQ(bar->maximum(), busyMaximum + 29);
    EXPECT_TRUE(waitFor([&] { return bar->value() == bar->maximum(); }));

    w.receive(note);
    ASSERT_FALSE(badgeShown("idleBadge"));
    w.log->calls.clear();
    button(window, "Clear")->click(); // no turn of the event loop in between
    EXPECT_TRUE(badgeShown("idleBadge"));
    EXPECT_FALSE(badgeShown("bufferFullBadge"));
    EXPECT_EQ(window.messageList().endElementHeight(), MessageListView::idleEndHeight);
    w.queue.drain();
    EXPECT_TRUE(w.spoken().empty());
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
        w.receive(note, 150);
        w.receive(timingClock, 20);
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

// The Pause button and P hold the rows while the header and the strip count what comes; the View
// menu, between the others and Help, changes every row's time.
TEST_F(Bound, PauseHoldsTheRowsAndTheViewMenuChangesTheirTime) {
    w.receive(note);
    settle();
    QAbstractButton* pause = button(window, "Pause");
    auto* notice = window.findChild<QLabel*>(QStringLiteral("notice"));
    pause->click();
    w.receive(note, 3);
    settle();
    EXPECT_TRUE(w.view->isPaused());
    EXPECT_EQ(pause->text(), QStringLiteral("Resume"));
    EXPECT_EQ(window.messageModel().rowCount(), 1);
    EXPECT_TRUE(
        waitFor([&] { return countText() == QStringLiteral("1 messages · Paused, 3 new"); }));
    EXPECT_TRUE(waitFor([&] { return notice->text() == QStringLiteral("Paused, 3 new"); }));
    type('p');
    settle();
    EXPECT_FALSE(w.view->isPaused());
    EXPECT_EQ(pause->text(), QStringLiteral("Pause"));
    EXPECT_EQ(window.messageModel().rowCount(), 4);
    EXPECT_TRUE(waitFor([&] { return countText() == QStringLiteral("4 messages"); }));
    EXPECT_TRUE(waitFor([&] { return !notice->isVisible(); }));

    QStringList menus;
    for (const QAction* menu : window.menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus.indexOf(QStringLiteral("&View")) + 1, menus.indexOf(QStringLiteral("&Help")));
    const QModelIndex first = window.messageModel().index(0, 0);
    EXPECT_EQ(first.data(MessageListModel::TimeRole), QStringLiteral("0.000"));
    EXPECT_TRUE(first.data(Qt::AccessibleTextRole).toString().endsWith(QStringLiteral(", 0.000")));
    QAction* timeOfDay = nullptr;
    for (QAction* action : window.findChildren<QAction*>())
        if (action->text() == QStringLiteral("Time of Day")) timeOfDay = action;
    ASSERT_NE(timeOfDay, nullptr);
    timeOfDay->trigger();
    w.queue.drain();
    EXPECT_EQ(w.view->timeStyle(), TimeStyle::timeOfDay);
    EXPECT_TRUE(timeOfDay->isChecked());
    // The fake clock's day begins at 08:00 UTC, and it keeps UTC.
    EXPECT_EQ(first.data(MessageListModel::TimeRole), QStringLiteral("08:00:00.000"));
    w.view->setTimeStyle(TimeStyle::sinceStart);
    EXPECT_FALSE(timeOfDay->isChecked());
    EXPECT_EQ(first.data(MessageListModel::TimeRole), QStringLiteral("0.000"));
}

bool isSheet(QDialog* sheet, const char* className) {
    return sheet && std::string_view(sheet->metaObject()->className()) == className;
}

TEST_F(Bound, EnterOnTheCurrentRowInspectsItAndTheNewestSheetRequestWins) {
    w.receive(note, 3);
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

    EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }))
        << "the window is back in front";
}

TEST_F(Bound, ARequestWhoseSheetCannotOpenIsWithdrawn) {
    int asked = 0;
    SheetOpeners refusing;
    refusing.deviceSettings = [&](ContentView&, QWidget*) -> QDialog* {
        ++asked;
        return nullptr;
    };
    w.controller.reset();
    w.bind(refusing);
    type('d');
    EXPECT_FALSE(w.view->showDeviceSettings());
    type('d');
    EXPECT_EQ(asked, 2) << "the next request asks again";
}

} // namespace
} // namespace umbrascope
