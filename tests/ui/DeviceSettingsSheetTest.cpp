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
using test::SheetWindow;
using test::waitFor;
using Row = DeviceSettingsSheet::SourceRow;

// Unsorted, with a voice that is not English.
const std::vector<Voice> installedVoices{
    {"v-zed", "Zed", "en-US"},
    {"v-anna", "Anna", "de-DE"},
    {"v-amy", "Amy", "en-GB"},
};

struct DeviceSettingsSheetTest : ::testing::Test {
    SheetWindow w{test::twoSources, installedVoices};

    DeviceSettingsSheet* open() {
        w.view->openDeviceSettings();
        auto* sheet =
            static_cast<DeviceSettingsSheet*>(openDeviceSettingsSheet(*w.view, &w.window));
        EXPECT_TRUE(activate(sheet));
        return sheet;
    }
    static void choose(QComboBox* picker, const QString& entry) {
        const int index = picker->findText(entry);
        ASSERT_GE(index, 0) << entry.toStdString();
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }
    // Presses the button with the keyboard, as a keyboard user would.
    static void pressButton(QDialog* sheet, QPushButton* button) {
        button->setFocus();
        test::press(sheet, Qt::Key_Space);
    }
    std::size_t messages() const { return w.view->midiManager().messages().size(); }
};

TEST_F(DeviceSettingsSheetTest, WithoutSourcesOnlyTheHeaderAndTheNoticeShow) {
    SheetWindow empty(std::vector<testing_support::RecordingMidiService::Source>{});
    empty.view->openDeviceSettings();
    auto* sheet =
        static_cast<DeviceSettingsSheet*>(openDeviceSettingsSheet(*empty.view, &empty.window));
    ASSERT_TRUE(activate(sheet));
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Devices"));
    EXPECT_EQ(sheet->size(), QSize(560, 420));
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    ASSERT_NE(sheet->emptyLabel(), nullptr);
    EXPECT_EQ(sheet->emptyLabel()->text(), QStringLiteral("No MIDI sources found"));
    EXPECT_TRUE(sheet->emptyLabel()->isVisible());
    EXPECT_TRUE(sheet->sourceRows().empty());
    EXPECT_TRUE(sheet->findChildren<QCheckBox*>().isEmpty());
    auto* caption = sheet->findChild<QLabel*>(QStringLiteral("devicesCaption"));
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->text(),
              QStringLiteral("Choose which MIDI sources are received, which voice speaks each "
                             "one's messages, and where each one's click sounds sit in the stereo "
                             "field."));
    EXPECT_EQ(sheet->focusWidget(), sheet->closeButton());
}

TEST_F(DeviceSettingsSheetTest, EachSourceHasItsNamedControlsInOrder) {
    DeviceSettingsSheet* sheet = open();
    EXPECT_EQ(sheet->emptyLabel(), nullptr);
    const auto& rows = sheet->sourceRows();
    ASSERT_EQ(rows.size(), 2u);
    const struct {
        std::int32_t id;
        const char* name;
    } expected[] = {{1, "Keys"}, {2, "Bass & Drums"}};
    const QStringList entries{"System Default", "Amy (en-GB)", "Zed (en-US)"};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = rows[i];
        const QString name = QString::fromUtf8(expected[i].name);
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(row.id, expected[i].id);
        EXPECT_EQ(test::accessibleText(row.enabled, QAccessible::Name), name)
            << "an ampersand in a device name is shown, not taken as a shortcut";
        EXPECT_TRUE(row.enabled->isChecked()) << "sources are enabled when first seen";
        EXPECT_EQ(test::accessibleText(row.enabled, QAccessible::Description),
                  QStringLiteral("Turns receiving messages from this device on or off"));
        QStringList shown;
        for (int e = 0; e < row.voice->count(); ++e)
            shown << row.voice->itemText(e);
        EXPECT_EQ(shown, entries);
        EXPECT_EQ(row.voice->currentText(), QStringLiteral("System Default"));
        EXPECT_EQ(row.voice->width(), 280);
        EXPECT_EQ(test::accessibleText(row.testVoice, QAccessible::Name), QStringLiteral("Test"));
        EXPECT_EQ(test::accessibleText(row.testVoice, QAccessible::Description),
                  QStringLiteral("Speaks a short sample using this device's selected voice"));
        EXPECT_EQ(test::accessibleText(row.pan, QAccessible::Name),
                  QStringLiteral("Stereo pan for %1's click sounds").arg(name));
        EXPECT_EQ(test::accessibleText(row.pan, QAccessible::Value), QStringLiteral("Center"));
        EXPECT_EQ(row.pan->width(), 220);
        EXPECT_EQ(test::accessibleText(row.testClick, QAccessible::Description),
                  QStringLiteral("Plays a click from this device's current pan position"));
    }
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
    test::press(sheet, Qt::Key_Return);
    w.queue.drain();
    EXPECT_TRUE(keys->isChecked());
    EXPECT_TRUE(w.spoken().empty()) << "Enter pressed no Test button";
    test::press(sheet, Qt::Key_Space);
    EXPECT_FALSE(keys->isChecked());
    EXPECT_FALSE(w.view->midiManager().enabledSourceIDs().contains(SheetWindow::keysID));
    w.receive({0x20903C40});
    EXPECT_EQ(messages(), 0u);
    w.receive({0x20903C40}, 1);
    EXPECT_EQ(messages(), 1u) << "the other source is still received";

    test::press(sheet, Qt::Key_Space);
    EXPECT_TRUE(w.view->midiManager().enabledSourceIDs().contains(SheetWindow::keysID));
    w.receive({0x20903C40});
    EXPECT_EQ(messages(), 2u);

    w.view->midiManager().setSourceEnabled(SheetWindow::drumsID, false);
    EXPECT_FALSE(sheet->sourceRows()[1].enabled->isChecked()) << "follows changes made elsewhere";
}

TEST_F(DeviceSettingsSheetTest, ThePickerSetsAndClearsTheSourceVoice) {
    DeviceSettingsSheet* sheet = open();
    const auto voiceOfKeys = [&]() -> std::optional<std::string> {
        const auto& voices = w.view->speechAnnouncer().voiceForSource();
        const auto found = voices.find(SheetWindow::keysID);
        return found == voices.end() ? std::nullopt : std::optional(found->second);
    };
    choose(sheet->sourceRows()[0].voice, QStringLiteral("Amy (en-GB)"));
    EXPECT_EQ(voiceOfKeys(), std::optional<std::string>("v-amy"));
    EXPECT_FALSE(w.view->speechAnnouncer().voiceForSource().contains(SheetWindow::drumsID));
    choose(sheet->sourceRows()[0].voice, QStringLiteral("System Default"));
    EXPECT_EQ(voiceOfKeys(), std::nullopt) << "System Default removes the entry";

    choose(sheet->sourceRows()[0].voice, QStringLiteral("Zed (en-US)"));
    QPointer<QDialog> closing = sheet;
    test::press(sheet, Qt::Key_Escape);
    ASSERT_TRUE(test::gone(closing));
    EXPECT_FALSE(w.view->showDeviceSettings());
    sheet = open();
    EXPECT_EQ(sheet->sourceRows()[0].voice->currentText(), QStringLiteral("Zed (en-US)"))
        << "the choice lives in the announcer";

    w.view->speechAnnouncer().setVoiceForSource(SheetWindow::keysID, "v-anna");
    EXPECT_EQ(sheet->sourceRows()[0].voice->currentIndex(), -1)
        << "a voice that is not listed matches no entry";
    EXPECT_EQ(voiceOfKeys(), std::optional<std::string>("v-anna"));
}

TEST_F(DeviceSettingsSheetTest, TestSpeaksTheSampleInTheSourceVoiceAtEveryLevel) {
    DeviceSettingsSheet* sheet = open();
    choose(sheet->sourceRows()[0].voice, QStringLiteral("Amy (en-GB)"));
    const struct {
        TTSLevel level;
        std::size_t row;
        const char* text;
        std::optional<std::string> voice;
    } cases[] = {
        {TTSLevel::off, 0, "This is Keys.", "v-amy"},
        {TTSLevel::short_, 0, "This is Keys.", "v-amy"},
        {TTSLevel::verbose, 0, "This is Keys.", "v-amy"},
        {TTSLevel::off, 1, "This is Bass & Drums.", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + std::string(" at ") + std::string(rawValue(c.level)));
        w.view->setTTSLevel(c.level);
        w.speak("something being said");
        const std::size_t stops = w.stops();
        pressButton(sheet, sheet->sourceRows()[c.row].testVoice);
        w.queue.drain();
        EXPECT_EQ(w.spoken().back(), c.text);
        EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, c.voice);
        EXPECT_EQ(w.stops(), stops + 1) << "cuts off what is being said";
    }
}

TEST_F(DeviceSettingsSheetTest, ThePanSliderSetsThePanAndReadsItsText) {
    DeviceSettingsSheet* sheet = open();
    PanSlider* slider = sheet->sourceRows()[0].pan;
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(slider);
    ASSERT_NE(accessible, nullptr);
    EXPECT_EQ(accessible->role(), QAccessible::Slider);
    QAccessibleValueInterface* value = accessible->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->minimumValue().toDouble(), -1.0);
    EXPECT_EQ(value->maximumValue().toDouble(), 1.0);

    const struct {
        int steps; // thousandths
        const char* text;
    } cases[] = {
        {0, "Center"},        {-49, "Center"},      {-50, "5% Left"},   {40, "Center"},
        {50, "5% Right"},     {-500, "50% Left"},   {290, "29% Right"}, {999, "99% Right"},
        {1000, "100% Right"}, {-1000, "100% Left"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        slider->setValue(c.steps);
        EXPECT_EQ(accessible->text(QAccessible::Value), QString::fromUtf8(c.text));
        EXPECT_EQ(w.view->clickPlayer().pan(SheetWindow::keysID),
                  static_cast<float>(c.steps) / 1000.0f);
    }
    value->setCurrentValue(-0.25);
    EXPECT_EQ(w.view->clickPlayer().pan(SheetWindow::keysID), -0.25f) << "a screen reader moves it";
    EXPECT_EQ(accessible->text(QAccessible::Value), QStringLiteral("25% Left"));
    EXPECT_EQ(w.view->clickPlayer().pan(SheetWindow::drumsID), 0.0f);

    QPointer<QDialog> closing = sheet;
    sheet->closeButton()->click();
    ASSERT_TRUE(test::gone(closing));
    sheet = open();
    EXPECT_EQ(test::accessibleText(sheet->sourceRows()[0].pan, QAccessible::Value),
              QStringLiteral("25% Left"))
        << "reopened at the pan the click player keeps";
}

TEST_F(DeviceSettingsSheetTest, TestClickPlaysFromThePanWithinTheTickBucket) {
    DeviceSettingsSheet* sheet = open();
    sheet->sourceRows()[0].pan->setValue(-1000);
    ClickPlayer& player = w.view->clickPlayer();
    int played = 0;
    for (int press = 0; press < 6; ++press) {
        const double before = player.tickTokens();
        pressButton(sheet, sheet->sourceRows()[0].testClick);
        played += player.tickTokens() < before;
    }
    EXPECT_EQ(played, 5) << "six quick presses play five ticks";
    EXPECT_FALSE(w.view->clickOnMessage()) << "plays with Tick on Message off";

    std::vector<float> block(2 * 4096);
    w.engine.mixer().render(block.data(), block.size() / 2);
    float left = 0.0f;
    float right = 0.0f;
    for (std::size_t i = 0; i < block.size(); i += 2) {
        left = std::max(left, std::abs(block[i]));
        right = std::max(right, std::abs(block[i + 1]));
    }
    EXPECT_GT(left, 0.0f);
    EXPECT_LT(right, left * 1e-3f) << "full left";
}

TEST_F(DeviceSettingsSheetTest, TheRowsFollowTheSourcesAndKeepTheFocus) {
    DeviceSettingsSheet* sheet = open();
    sheet->sourceRows()[1].voice->setFocus();
    w.sources.push_back(w.service.plugIn({"Pads", 3, true}));
    w.service.notify(MidiNotification::setupChanged);
    w.queue.drain();
    ASSERT_EQ(sheet->sourceRows().size(), 3u);
    EXPECT_EQ(sheet->sourceRows()[2].name, QStringLiteral("Pads"));
    EXPECT_EQ(sheet->focusWidget(), sheet->sourceRows()[1].voice);

    sheet->closeButton()->setFocus();
    w.service.unplug(w.sources[2]);
    w.service.notify(MidiNotification::setupChanged);
    w.queue.drain();
    ASSERT_EQ(sheet->sourceRows().size(), 2u);
    EXPECT_EQ(sheet->focusWidget(), sheet->closeButton()) << "a focus outside the rows stays";

    sheet->sourceRows()[1].voice->setFocus();
    w.service.unplug(w.sources[0]);
    w.service.unplug(w.sources[1]);
    w.service.notify(MidiNotification::setupChanged);
    w.queue.drain();
    EXPECT_TRUE(sheet->sourceRows().empty());
    ASSERT_NE(sheet->emptyLabel(), nullptr);
    EXPECT_EQ(sheet->focusWidget(), sheet->closeButton());
}

TEST_F(DeviceSettingsSheetTest, ClosingByTheWindowOrByTheUserResetsTheFlag) {
    QPointer<QDialog> sheet = open();
    w.view->closeDeviceSettings();
    EXPECT_TRUE(test::gone(sheet));

    sheet = open();
    test::press(sheet, Qt::Key_Escape);
    EXPECT_TRUE(test::gone(sheet));
    EXPECT_FALSE(w.view->showDeviceSettings());
}

} // namespace
} // namespace umbrascope
