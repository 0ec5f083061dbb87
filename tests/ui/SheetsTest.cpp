#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

#include "MonitorFixture.hpp"
#include "app/AppInfo.hpp"
#include "app/UserGuide.hpp"
#include "ui/BreakdownSheet.hpp"
#include "ui/DeviceSettingsSheet.hpp"
#include "ui/FieldRowView.hpp"
#include "ui/FileDialogs.hpp"
#include "ui/LinkButton.hpp"
#include "ui/PanSlider.hpp"
#include "ui/ReadAloudButton.hpp"
#include "ui/Sheets.hpp"
#include "ui/TypeColors.hpp"
#include "ui/UserGuideSheet.hpp"

namespace umbrascope {
namespace {

using test::gone;
using test::Monitor;
using test::press;
using test::waitFor;
using testing_support::Words;

// Unsorted, with a voice that is not English.
const std::vector<Voice> installedVoices{
    {"v-zed", "Zed", "en-US"},
    {"v-anna", "Anna", "de-DE"},
    {"v-amy", "Amy", "en-GB"},
};

const std::string noteOnReading =
    "To stop this reading, click Stop Reading, or close this window. Arrived 0.000 seconds after "
    "the start. Fields are, 4 bits, Message Type: 2, MIDI 1.0 Channel Voice Message. 4 bits, Group "
    "1. 4 bits, Note On. 4 bits, Channel "
    "1. 8 bits, Note Number: C4. 8 bits, Velocity: 64 (50.39%).";

// Sheets opened by the view's state, on the bound monitor window.
struct Sheets : ::testing::Test {
    Monitor w{test::twoSources, installedVoices};
    Sheets() { w.bind(); }

    // Typed where the system delivers it; what the key says reaches the synthesizer.
    void type(char key) {
        test::type(key);
        w.queue.drain();
    }

    template <typename S>
    S* front() {
        auto* sheet = qobject_cast<S*>(w.controller->sheet());
        EXPECT_TRUE(test::activate(sheet));
        return sheet;
    }
    BreakdownSheet* breakdown(const Words& words = {0x20903C40}) {
        w.receive(words);
        w.view->openBreakdown(w.newest());
        return front<BreakdownSheet>();
    }
    DeviceSettingsSheet* devices() {
        w.view->openDeviceSettings();
        return front<DeviceSettingsSheet>();
    }
    UserGuideSheet* guide() {
        w.view->openUserGuide();
        return front<UserGuideSheet>();
    }
};

// An open sheet as the tests over all sheets see it.
struct Opened {
    QAbstractButton* header;     // Close or Done
    QWidget* first;              // in focus when it opens
    std::vector<QWidget*> cycle; // Tab's round from the header button
    ReadAloudButton* read = nullptr;
};

struct SheetCase {
    const char* name;
    std::function<Opened(Sheets&)> open;
    bool (*requested)(const ContentView&);
    void (*withdraw)(ContentView&); // the request, from elsewhere
    bool stopsSpeech;               // when it closes
    char key = 0;                   // reads what its button reads
    std::string reading;
    std::optional<std::string> voice;
};

const std::vector<SheetCase>& sheets() {
    static const std::vector<SheetCase> cases{
        {"breakdown",
         [](Sheets& t) {
             BreakdownSheet* s = t.breakdown();
             Opened o{s->closeButton(), s->rows().front(), {s->closeButton()}, s->readButton()};
             o.cycle.insert(o.cycle.end(), s->rows().begin(), s->rows().end());
             o.cycle.push_back(s->readButton());
             return o;
         },
         [](const ContentView& v) { return v.inspectedMessage() != nullptr; },
         [](ContentView& v) { v.closeSheet(Sheet::breakdown); }, true, 'm', noteOnReading, "v-amy"},
        {"devices",
         [](Sheets& t) {
             DeviceSettingsSheet* s = t.devices();
             Opened o{s->closeButton(), s->sourceRows().front().enabled, {s->closeButton()}};
             for (const auto& r : s->sourceRows())
                 o.cycle.insert(o.cycle.end(),
                                {r.enabled, r.voice, r.testVoice, r.pan, r.testClick});
             return o;
         },
         [](const ContentView& v) { return v.showDeviceSettings(); },
         [](ContentView& v) { v.closeSheet(Sheet::deviceSettings); },
         false,
         0,
         {},
         {}},
        {"guide",
         [](Sheets& t) {
             UserGuideSheet* s = t.guide();
             return Opened{s->doneButton(),
                           s->guideText(),
                           {s->doneButton(), s->guideText(), s->readButton(), s->homepageLink()},
                           s->readButton()};
         },
         [](const ContentView& v) { return v.showUserGuide(); },
         [](ContentView& v) { v.closeSheet(Sheet::userGuide); }, true, 'g', guideReadingText(true),
         std::nullopt},
    };
    return cases;
}

TEST_F(Sheets, EachOpensOnItsFirstControlTabsRoundAndClosesAnyWayWithdrawingItsRequest) {
    const struct {
        const char* name;
        void (*close)(const SheetCase& sheet, ContentView& view, QAbstractButton* header);
    } ways[] = {
        {"headerButton", [](auto&, auto&, QAbstractButton* header) { header->click(); }},
        {"escape", [](auto&, auto&, auto*) { press(Qt::Key_Escape); }},
        {"titleBar", [](auto&, auto&, QAbstractButton* header) { header->window()->close(); }},
        {"elsewhere",
         [](const SheetCase& sheet, ContentView& view, auto*) { sheet.withdraw(view); }},
    };
    for (const auto& sheet : sheets())
        for (const auto& way : ways) {
            SCOPED_TRACE(std::string(sheet.name) + " " + way.name);
            const Opened opened = sheet.open(*this);
            QPointer<QDialog> dialog = static_cast<QDialog*>(opened.header->window());
            EXPECT_EQ(dialog->focusWidget(), opened.first);
            EXPECT_EQ(test::tabCycle(opened.header), opened.cycle);
            w.speak("An announcement");
            const std::size_t stops = w.stops();
            way.close(sheet, *w.view, opened.header);
            w.queue.drain();
            EXPECT_TRUE(gone(dialog));
            EXPECT_FALSE(sheet.requested(*w.view));
            EXPECT_EQ(w.stops(), stops + (sheet.stopsSpeech ? 1 : 0)) << "stops a reading";
            w.view->speechAnnouncer().stop();
        }
}

TEST_F(Sheets, TheReadingButtonAndItsKeyReadTheSameTextAndStopAnySpeech) {
    w.view->speechAnnouncer().setVoiceForSource(Monitor::keysID, "v-amy");
    for (const auto& sheet : sheets()) {
        if (!sheet.key) continue;
        SCOPED_TRACE(sheet.name);
        w.log->calls.clear();
        const Opened opened = sheet.open(*this);
        ReadAloudButton* read = opened.read;
        const QString label = read->text();
        press(Qt::Key_Return); // on the first control
        w.queue.drain();
        EXPECT_TRUE(w.spoken().empty()) << "Enter reads nothing";
        read->setFocus();
        press(Qt::Key_Space);
        w.queue.drain();
        ASSERT_EQ(w.spoken(), std::vector<std::string>{sheet.reading});
        EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, sheet.voice);
        w.report(SpeechReport::started);
        EXPECT_EQ(read->text(), QStringLiteral("Stop Reading"));
        w.report(SpeechReport::finished);
        EXPECT_EQ(read->text(), label) << "ended by itself";

        w.speak("Note On C4");
        EXPECT_EQ(read->text(), QStringLiteral("Stop Reading")) << "whoever speaks";
        press(Qt::Key_Space);
        w.queue.drain();
        EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking()) << "stops instead of reading";
        EXPECT_EQ(w.spoken().size(), 2u);

        type(sheet.key);
        EXPECT_EQ(w.spoken().back(), sheet.reading) << "the key reads what the button reads";
        w.report(SpeechReport::started);
        const std::size_t stops = w.stops();
        type(sheet.key);
        EXPECT_EQ(w.stops(), stops + 1) << "and stops it";
        EXPECT_EQ(read->text(), label);
        opened.header->click();
    }
}

TEST_F(Sheets, TheBreakdownShowsTheWordsInTheTypeColourAndEveryRowAsOneNamedItem) {
    BreakdownSheet* sheet = breakdown({0x40903C11, 0x8000E0C9});
    EXPECT_EQ(sheet->hexLabel()->text(), QStringLiteral("40903C11  8000E0C9"));
    EXPECT_EQ(sheet->hexLabel()->palette().color(QPalette::WindowText),
              typeColor(UMPMessageType::midi2ChannelVoice));
    EXPECT_EQ(sheet->arrivalLabel()->text(),
              QStringLiteral("Arrived 0.000 seconds after the start."));

    const auto& rows = sheet->rows();
    ASSERT_EQ(rows.size(), 14u) << "8 fields, the attribute data's 6 sub-fields";
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(rows[0]->parentWidget());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->childCount(), 14) << "dividers are not items";
    const auto name = [&](std::size_t row) {
        return test::accessibleText(rows[row], QAccessible::Name);
    };
    EXPECT_EQ(name(0),
              QStringLiteral("4, 4 bits, Message Type = 4, MIDI 2.0 Channel Voice Message"));
    EXPECT_EQ(name(12), QStringLiteral("1 bit, Reset Round Robin = 1 True"));

    const int width = rows[0]->width();
    const FieldRowView::Columns first = rows[0]->columns(width);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(name(i).toStdString());
        QAccessibleInterface* item = QAccessible::queryAccessibleInterface(rows[i]);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->childCount(), 0);
        EXPECT_EQ(list->indexOfChild(item), static_cast<int>(i));
        const FieldRowView::Columns c = rows[i]->columns(width);
        EXPECT_GE(c.bits.width(), FieldRowView::bitsMinimumWidth);
        EXPECT_EQ(rows[i]->depth(), i < 8 ? 0 : 1);
        if (rows[i]->depth() == 0) {
            EXPECT_GE(c.hex.width(), FieldRowView::hexMinimumWidth);
            EXPECT_EQ(c.label.left(), first.label.left()) << "labels line up";
        } else {
            EXPECT_EQ(c.hex.left(), first.hex.left() + FieldRowView::indentPerDepth);
            EXPECT_EQ(c.hex.width(), 0) << "sub-rows have no hex digits";
        }
    }
    // The attribute type, the longest label, wraps instead of scrolling sideways.
    EXPECT_LE(rows[5]->width(), sheet->rowsArea()->viewport()->width());
    EXPECT_GT(rows[5]->heightForWidth(300), rows[5]->heightForWidth(2000));

    // In a large font the rows overflow; the one in focus scrolls into view.
    QScrollArea* area = sheet->rowsArea();
    QFont large = sheet->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    sheet->setFont(large);
    area->verticalScrollBar()->setValue(0);
    FieldRowView* last = rows.back();
    ASSERT_TRUE(waitFor([&] {
        return last->mapTo(area->viewport(), QPoint(0, last->height())).y() >
               area->viewport()->height();
    }));
    last->setFocus();
    ASSERT_TRUE(waitFor([&] { return last->hasFocus(); }));
    EXPECT_TRUE(area->viewport()->rect().contains(
        QRect(last->mapTo(area->viewport(), QPoint(0, 0)), last->size())));
}

TEST_F(Sheets, TheBreakdownClosesWhenItsMessageLeavesTheBuffer) {
    QPointer<QDialog> sheet = breakdown();
    const QAccessible::Id row = QAccessible::uniqueId(QAccessible::queryAccessibleInterface(
        static_cast<BreakdownSheet*>(sheet.data())->rows().front()));
    w.view->midiManager().clearMessages();
    w.queue.drain();
    EXPECT_TRUE(gone(sheet));
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(row), nullptr) << "no interface outlives its row";
}

// Receives what the desktop would open in its browser.
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

TEST_F(Sheets, TheGuideShowsTheTextAndItsLinkOpensTheHomePageByClickKeyOrScreenReader) {
    UrlCatcher browser;
    UserGuideSheet* sheet = guide();
    EXPECT_EQ(sheet->guideText()->toPlainText().toStdString(), writtenGuide());
    EXPECT_TRUE(sheet->guideText()->isReadOnly());
    LinkButton* link = sheet->homepageLink();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(link);
    EXPECT_EQ(accessible->role(), QAccessible::Link);
    EXPECT_EQ(accessible->text(QAccessible::Name),
              QStringLiteral("github.com/umbrascope/umbrascope"));

    link->setFocus();
    press(Qt::Key_Return);
    press(Qt::Key_Space);
    QTest::mouseClick(link, Qt::LeftButton);
    accessible->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    const QUrl home(
        QString::fromUtf8(homepageURL().data(), static_cast<qsizetype>(homepageURL().size())));
    EXPECT_EQ(browser.opened, (QList<QUrl>{home, home, home, home}));
    EXPECT_TRUE(sheet->isVisible()) << "the guide stays open";
}

// --- Devices -----------------------------------------------------------------------------------

struct DeviceSheet : Sheets {
    DeviceSettingsSheet* sheet = nullptr;
    void SetUp() override { sheet = devices(); }

    const DeviceSettingsSheet::SourceRow& row(std::size_t index) const {
        return sheet->sourceRows().at(index);
    }
    static void choose(QComboBox* picker, const char* entry) {
        const int index = picker->findText(QString::fromUtf8(entry));
        ASSERT_GE(index, 0) << entry;
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    // Pressed with the keyboard, as a keyboard user would.
    void pressButton(QPushButton* button) {
        button->setFocus();
        press(Qt::Key_Space);
        w.queue.drain();
    }
    std::size_t messages() const { return w.view->midiManager().messages().size(); }
    std::optional<std::string> voiceOf(std::int32_t source) const {
        const auto& voices = w.view->speechAnnouncer().voiceForSource();
        const auto found = voices.find(source);
        return found == voices.end() ? std::nullopt : std::optional(found->second);
    }
    void reopen() {
        QPointer<QDialog> closing = sheet;
        sheet->closeButton()->click();
        EXPECT_TRUE(gone(closing));
        sheet = devices();
    }
};

TEST_F(DeviceSheet, ASwitchStopsAndRestoresReceptionAtOnceAndFollowsChangesElsewhere) {
    EXPECT_EQ(test::accessibleText(row(1).enabled, QAccessible::Name),
              QStringLiteral("Bass & Drums"))
        << "an ampersand in a device name is shown, not taken as a shortcut";
    EXPECT_TRUE(row(1).enabled->isChecked()) << "sources are enabled when first seen";
    QCheckBox* keys = row(0).enabled;
    keys->setFocus();
    press(Qt::Key_Return);
    w.queue.drain();
    EXPECT_TRUE(keys->isChecked());
    EXPECT_TRUE(w.spoken().empty()) << "Enter pressed no Test button";
    press(Qt::Key_Space);
    EXPECT_FALSE(w.view->midiManager().enabledSourceIDs().contains(Monitor::keysID));
    w.receive({0x20903C40});
    EXPECT_EQ(messages(), 0u);
    w.receive({0x20903C40}, 1, 1);
    EXPECT_EQ(messages(), 1u) << "the other source is still received";
    press(Qt::Key_Space);
    w.receive({0x20903C40});
    EXPECT_EQ(messages(), 2u);

    w.view->midiManager().setSourceEnabled(Monitor::drumsID, false);
    EXPECT_FALSE(row(1).enabled->isChecked());
}

TEST_F(DeviceSheet, ThePickerSetsAndClearsTheSourceVoiceThatTestSpeaksIn) {
    QStringList entries;
    for (int e = 0; e < row(0).voice->count(); ++e)
        entries << row(0).voice->itemText(e);
    EXPECT_EQ(entries, (QStringList{"System Default", "Amy (en-GB)", "Zed (en-US)"}));
    choose(row(0).voice, "Amy (en-GB)");
    EXPECT_EQ(voiceOf(Monitor::keysID), std::optional<std::string>("v-amy"));
    EXPECT_EQ(voiceOf(Monitor::drumsID), std::nullopt);

    w.speak("something being said");
    const std::size_t stops = w.stops();
    pressButton(row(0).testVoice);
    EXPECT_EQ(w.spoken().back(), "This is Keys.") << "even with narration off";
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::optional<std::string>("v-amy"));
    EXPECT_EQ(w.stops(), stops + 1) << "cuts off what is being said";
    pressButton(row(1).testVoice);
    EXPECT_EQ(w.spoken().back(), "This is Bass & Drums.");
    // Each row's two "Test" buttons are told apart by name.
    EXPECT_EQ(row(1).testVoice->text(), QStringLiteral("Test"));
    EXPECT_EQ(test::accessibleText(row(1).testVoice, QAccessible::Name),
              QStringLiteral("Test voice for Bass & Drums"));
    EXPECT_EQ(test::accessibleText(row(0).testClick, QAccessible::Name),
              QStringLiteral("Test click for Keys"));
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::nullopt);

    choose(row(0).voice, "System Default");
    EXPECT_EQ(voiceOf(Monitor::keysID), std::nullopt) << "System Default removes the entry";
    choose(row(0).voice, "Zed (en-US)");
    reopen();
    EXPECT_EQ(row(0).voice->currentText(), QStringLiteral("Zed (en-US)"))
        << "the choice lives in the announcer";
    w.view->speechAnnouncer().setVoiceForSource(Monitor::keysID, "v-anna");
    EXPECT_EQ(row(0).voice->currentIndex(), -1) << "a voice that is not listed matches no entry";
    EXPECT_EQ(voiceOf(Monitor::keysID), std::optional<std::string>("v-anna"));
}

// Opened in the first seconds, before the daemon has listed its voices: the list fills the open
// sheet's pickers when it arrives, each keeping its choice, and the focus stays put.
TEST(DeviceSheetBeforeTheVoices, ThePickersFillWhenTheListArrives) {
    Monitor w{test::twoSources};
    w.view->speechAnnouncer().setVoiceForSource(Monitor::keysID, "v-amy");
    w.view->openDeviceSettings();
    auto* sheet = static_cast<DeviceSettingsSheet*>(openDeviceSettingsSheet(*w.view, &w.window));
    ASSERT_TRUE(test::activate(sheet));
    QComboBox* keys = sheet->sourceRows().at(0).voice;
    QComboBox* drums = sheet->sourceRows().at(1).voice;
    ASSERT_EQ(keys->count(), 1) << "System Default only";
    drums->setFocus();

    w.log->listArrives(installedVoices);
    w.queue.drain();
    for (QComboBox* picker : {keys, drums}) {
        QStringList entries;
        for (int e = 0; e < picker->count(); ++e)
            entries << picker->itemText(e);
        EXPECT_EQ(entries, (QStringList{"System Default", "Amy (en-GB)", "Zed (en-US)"}));
    }
    EXPECT_EQ(keys->currentText(), QStringLiteral("Amy (en-GB)")) << "the stored voice is listed";
    EXPECT_EQ(drums->currentText(), QStringLiteral("System Default"));
    EXPECT_EQ(sheet->focusWidget(), drums);
    EXPECT_EQ(w.view->speechAnnouncer().voiceForSource().size(), 1u) << "no choice written";
}

TEST_F(DeviceSheet, ThePanSliderSetsThePanReadsItsTextAndTestClicksFromIt) {
    PanSlider* slider = row(0).pan;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(accessible->valueInterface(), nullptr);
    // Screen readers read a slider's number but a spin box's text.
    EXPECT_EQ(accessible->role(), QAccessible::SpinBox);
    QAccessibleTextInterface* shown = accessible->textInterface();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("Center"));
    for (const auto& [steps, text] :
         {std::pair{-50, "5% Left"}, {40, "Center"}, {999, "99% Right"}, {1000, "100% Right"}}) {
        slider->setValue(steps);
        EXPECT_EQ(accessible->text(QAccessible::Value), QString::fromUtf8(text));
        EXPECT_EQ(shown->text(0, shown->characterCount()), QString::fromUtf8(text));
        EXPECT_EQ(w.view->clickPlayer().pan(Monitor::keysID), static_cast<float>(steps) / 1000);
    }
    accessible->valueInterface()->setCurrentValue(-1.0);
    EXPECT_EQ(w.view->clickPlayer().pan(Monitor::keysID), -1.0f) << "a screen reader moves it";
    EXPECT_EQ(w.view->clickPlayer().pan(Monitor::drumsID), 0.0f);

    const double tokens = w.view->clickPlayer().tickTokens();
    pressButton(row(0).testClick);
    EXPECT_LT(w.view->clickPlayer().tickTokens(), tokens) << "a tick, with Tick on Message off";
    reopen();
    EXPECT_EQ(test::accessibleText(row(0).pan, QAccessible::Value), QStringLiteral("100% Left"))
        << "reopened at the pan the click player keeps";
}

TEST_F(DeviceSheet, TheRowsFollowTheSourcesAndKeepTheFocus) {
    const auto replug = [&] {
        w.service.notify(MIDINotification::setupChanged);
        w.queue.drain();
    };
    row(1).voice->setFocus();
    w.sources.push_back(w.service.plugIn({"Pads", 3, true}));
    replug();
    ASSERT_EQ(sheet->sourceRows().size(), 3u);
    EXPECT_EQ(row(2).name, QStringLiteral("Pads"));
    EXPECT_EQ(sheet->focusWidget(), row(1).voice);

    row(1).voice->setFocus();
    for (const SourceRef source : w.sources)
        w.service.unplug(source);
    replug();
    EXPECT_TRUE(sheet->sourceRows().empty());
    ASSERT_NE(sheet->emptyLabel(), nullptr);
    EXPECT_EQ(sheet->emptyLabel()->text(), QStringLiteral("No MIDI sources found"));
    EXPECT_EQ(sheet->focusWidget(), sheet->closeButton()) << "the focused row went";

    // Without MIDI input at all, an empty list is no finding: the sheet says why.
    w.view->showMIDINotice("The ALSA sequencer could not be opened: Permission denied");
    reopen();
    EXPECT_EQ(sheet->emptyLabel()->text(),
              QStringLiteral("The ALSA sequencer could not be opened: Permission denied"));
}

// --- Export --------------------------------------------------------------------------------

TEST_F(Sheets, TheExportDialogIsOursAsksForACsvFileOnceAndCancellingSaysAndWritesNothing) {
    w.receive({0x20903C40});
    w.speechOn();
    std::vector<std::optional<std::filesystem::path>> answers;
    const auto record = [&](std::optional<std::filesystem::path> location) {
        answers.push_back(location);
    };
    const AskForExportLocation ask = csvSaveAsker(&w.window);
    w.asker = [&](ExportLocationAnswer answer) {
        ask([&, answer](std::optional<std::filesystem::path> location) {
            record(location);
            answer(location);
        });
    };
    type('e');
    ASSERT_EQ(w.spoken(), std::vector<std::string>{"Export CSV"});
    QFileDialog* dialog = nullptr;
    ASSERT_TRUE(waitFor([&] {
        dialog = w.window.findChild<QFileDialog*>();
        return dialog && QApplication::activeWindow() == dialog;
    }));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Export Messages to CSV"));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    ASSERT_EQ(dialog->nameFilters().size(), 1);
    EXPECT_TRUE(dialog->nameFilters().front().contains(QStringLiteral("(*.csv)")));
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Umbrascope-Export.csv"));
    EXPECT_TRUE(answers.empty()) << "returns at once, answers later";

    ask(record);
    EXPECT_EQ(w.window.findChildren<QFileDialog*>().size(), 1) << "one save dialog at a time";
    EXPECT_EQ(answers, decltype(answers){std::nullopt});

    QPointer<QFileDialog> closing = dialog;
    press(Qt::Key_Escape);
    ASSERT_TRUE(waitFor([&] { return closing.isNull(); }));
    EXPECT_EQ(answers, (decltype(answers){std::nullopt, std::nullopt})) << "answered once";
    w.queue.drain();
    EXPECT_EQ(w.background.runAll(), 0u);
    w.queue.drain();
    EXPECT_EQ(w.spoken(), std::vector<std::string>{"Export CSV"});
}

} // namespace
} // namespace umbrascope

#include "SheetsTest.moc"
