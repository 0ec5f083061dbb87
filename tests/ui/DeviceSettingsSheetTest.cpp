#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "SheetFixture.hpp"
#include "ui/DeviceSettingsSheet.hpp"
#include "ui/PanSlider.hpp"
#include "ui/Sheets.hpp"

namespace umbrascope {
namespace {

using test::activate;
using test::press;
using test::SheetWindow;
using Row = DeviceSettingsSheet::SourceRow;

// Unsorted, with a voice that is not English.
const std::vector<Voice> installedVoices{
    {"v-zed", "Zed", "en-US"},
    {"v-anna", "Anna", "de-DE"},
    {"v-amy", "Amy", "en-GB"},
};

struct DeviceSettingsSheetTest : ::testing::Test {
    SheetWindow w{test::twoSources, installedVoices};

    static DeviceSettingsSheet* open(SheetWindow& window) {
        window.view->openDeviceSettings();
        auto* sheet = static_cast<DeviceSettingsSheet*>(
            openDeviceSettingsSheet(*window.view, &window.window));
        EXPECT_TRUE(activate(sheet));
        return sheet;
    }
    DeviceSettingsSheet* open() { return open(w); }
    static void choose(QComboBox* picker, const QString& entry) {
        const int index = picker->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    // Presses the button with the keyboard, as a keyboard user would.
    static void pressButton(QPushButton* button) {
        button->setFocus();
        press(Qt::Key_Space);
    }
    std::size_t messages() const { return w.view->midiManager().messages().size(); }
    std::optional<std::string> voiceOfKeys() const {
        const auto& voices = w.view->speechAnnouncer().voiceForSource();
        const auto found = voices.find(SheetWindow::keysID);
        return found == voices.end() ? std::nullopt : std::optional(found->second);
    }
};

TEST_F(DeviceSettingsSheetTest, WithoutSourcesItSaysSoAndOpensOnClose) {
    SheetWindow empty(std::vector<testing_support::RecordingMidiService::Source>{});
    DeviceSettingsSheet* sheet = open(empty);
    ASSERT_NE(sheet->emptyLabel(), nullptr);
    EXPECT_EQ(sheet->emptyLabel()->text(), QStringLiteral("No MIDI sources found"));
    EXPECT_TRUE(sheet->sourceRows().empty());
    EXPECT_EQ(sheet->focusWidget(), sheet->closeButton());
}

TEST_F(DeviceSettingsSheetTest, EachSourceHasItsControlsInTabOrder) {
    DeviceSettingsSheet* sheet = open();
    const auto& rows = sheet->sourceRows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(test::accessibleText(rows[1].enabled, QAccessible::Name),
              QStringLiteral("Bass & Drums"))
        << "an ampersand in a device name is shown, not taken as a shortcut";
    EXPECT_TRUE(rows[1].enabled->isChecked()) << "sources are enabled when first seen";
    QStringList entries;
    for (int e = 0; e < rows[0].voice->count(); ++e)
        entries << rows[0].voice->itemText(e);
    EXPECT_EQ(entries, (QStringList{"System Default", "Amy (en-GB)", "Zed (en-US)"}));
    EXPECT_EQ(test::accessibleText(rows[0].pan, QAccessible::Value), QStringLiteral("Center"));

    EXPECT_EQ(sheet->focusWidget(), rows[0].enabled);
    std::vector<QWidget*> order{sheet->closeButton()};
    for (const Row& row : rows)
        order.insert(order.end(), {row.enabled, row.voice, row.testVoice, row.pan, row.testClick});
    EXPECT_EQ(test::tabCycle(sheet, sheet->closeButton()), order);
}

TEST_F(DeviceSettingsSheetTest, ASwitchStopsAndRestoresReceptionAtOnce) {
    DeviceSettingsSheet* sheet = open();
    QCheckBox* keys = sheet->sourceRows()[0].enabled;
    keys->setFocus();
    press(Qt::Key_Return);
    w.queue.drain();
    EXPECT_TRUE(keys->isChecked());
    EXPECT_TRUE(w.spoken().empty()) << "Enter pressed no Test button";
    press(Qt::Key_Space);
    EXPECT_FALSE(w.view->midiManager().enabledSourceIDs().contains(SheetWindow::keysID));
    w.receive({0x20903C40});
    EXPECT_EQ(messages(), 0u);
    w.receive({0x20903C40}, 1);
    EXPECT_EQ(messages(), 1u) << "the other source is still received";

    press(Qt::Key_Space);
    w.receive({0x20903C40});
    EXPECT_EQ(messages(), 2u);

    w.view->midiManager().setSourceEnabled(SheetWindow::drumsID, false);
    EXPECT_FALSE(sheet->sourceRows()[1].enabled->isChecked()) << "follows changes made elsewhere";
}

TEST_F(DeviceSettingsSheetTest, ThePickerSetsAndClearsTheSourceVoice) {
    DeviceSettingsSheet* sheet = open();
    choose(sheet->sourceRows()[0].voice, QStringLiteral("Amy (en-GB)"));
    EXPECT_EQ(voiceOfKeys(), std::optional<std::string>("v-amy"));
    EXPECT_FALSE(w.view->speechAnnouncer().voiceForSource().contains(SheetWindow::drumsID));
    choose(sheet->sourceRows()[0].voice, QStringLiteral("System Default"));
    EXPECT_EQ(voiceOfKeys(), std::nullopt) << "System Default removes the entry";

    choose(sheet->sourceRows()[0].voice, QStringLiteral("Zed (en-US)"));
    QPointer<QDialog> closing = sheet;
    press(Qt::Key_Escape);
    ASSERT_TRUE(test::gone(closing));
    sheet = open();
    EXPECT_EQ(sheet->sourceRows()[0].voice->currentText(), QStringLiteral("Zed (en-US)"))
        << "the choice lives in the announcer";

    w.view->speechAnnouncer().setVoiceForSource(SheetWindow::keysID, "v-anna");
    EXPECT_EQ(sheet->sourceRows()[0].voice->currentIndex(), -1)
        << "a voice that is not listed matches no entry";
    EXPECT_EQ(voiceOfKeys(), std::optional<std::string>("v-anna"));
}

TEST_F(DeviceSettingsSheetTest, TestSpeaksTheSampleInTheSourceVoiceEvenWithNarrationOff) {
    DeviceSettingsSheet* sheet = open();
    choose(sheet->sourceRows()[0].voice, QStringLiteral("Amy (en-GB)"));
    w.speak("something being said");
    const std::size_t stops = w.stops();
    pressButton(sheet->sourceRows()[0].testVoice);
    w.queue.drain();
    EXPECT_EQ(w.spoken().back(), "This is Keys.");
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::optional<std::string>("v-amy"));
    EXPECT_EQ(w.stops(), stops + 1) << "cuts off what is being said";
    pressButton(sheet->sourceRows()[1].testVoice);
    w.queue.drain();
    EXPECT_EQ(w.spoken().back(), "This is Bass & Drums.");
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::nullopt);
}

TEST_F(DeviceSettingsSheetTest, ThePanSliderSetsThePanReadsItsTextAndTestClicksFromIt) {
    DeviceSettingsSheet* sheet = open();
    PanSlider* slider = sheet->sourceRows()[0].pan;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(accessible->valueInterface(), nullptr);
    for (const auto& [steps, text] :
         {std::pair{-50, "5% Left"}, {40, "Center"}, {999, "99% Right"}}) {
        slider->setValue(steps);
        EXPECT_EQ(accessible->text(QAccessible::Value), QString::fromUtf8(text));
        EXPECT_EQ(w.view->clickPlayer().pan(SheetWindow::keysID), static_cast<float>(steps) / 1000);
    }
    accessible->valueInterface()->setCurrentValue(-1.0);
    EXPECT_EQ(w.view->clickPlayer().pan(SheetWindow::keysID), -1.0f) << "a screen reader moves it";
    EXPECT_EQ(w.view->clickPlayer().pan(SheetWindow::drumsID), 0.0f);

    const double tokens = w.view->clickPlayer().tickTokens();
    pressButton(sheet->sourceRows()[0].testClick);
    EXPECT_LT(w.view->clickPlayer().tickTokens(), tokens) << "a tick, with Tick on Message off";

    QPointer<QDialog> closing = sheet;
    sheet->closeButton()->click();
    ASSERT_TRUE(test::gone(closing));
    EXPECT_EQ(test::accessibleText(open()->sourceRows()[0].pan, QAccessible::Value),
              QStringLiteral("100% Left"))
        << "reopened at the pan the click player keeps";
}

TEST_F(DeviceSettingsSheetTest, TheRowsFollowTheSourcesAndKeepTheFocus) {
    DeviceSettingsSheet* sheet = open();
    const auto replug = [&] {
        w.service.notify(MidiNotification::setupChanged);
        w.queue.drain();
    };
    sheet->sourceRows()[1].voice->setFocus();
    w.sources.push_back(w.service.plugIn({"Pads", 3, true}));
    replug();
    ASSERT_EQ(sheet->sourceRows().size(), 3u);
    EXPECT_EQ(sheet->sourceRows()[2].name, QStringLiteral("Pads"));
    EXPECT_EQ(sheet->focusWidget(), sheet->sourceRows()[1].voice);

    sheet->sourceRows()[1].voice->setFocus();
    for (const SourceRef source : w.sources)
        w.service.unplug(source);
    replug();
    EXPECT_TRUE(sheet->sourceRows().empty());
    ASSERT_NE(sheet->emptyLabel(), nullptr);
    EXPECT_EQ(sheet->focusWidget(), sheet->closeButton()) << "the focused row went";
}

} // namespace
} // namespace umbrascope
