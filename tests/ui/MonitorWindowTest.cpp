#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSlider>
#include <gtest/gtest.h>

#include "UiTestSupport.hpp"
#include "ui/AboutDialog.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/NarrationLevelSelector.hpp"
#include "ui/TextBlock.hpp"

namespace umbrascope {
namespace {

using test::waitFor;

QAbstractButton* buttonNamed(const QWidget& root, const QString& text) {
    for (QAbstractButton* button : root.findChildren<QAbstractButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

// What a screen reader is given for a widget. A combo box is named by its label (its own name
// is its current choice).
QString accessibleText(QObject* object, QAccessible::Text text) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface) return {};
    if (text == QAccessible::Name && iface->role() == QAccessible::ComboBox) {
        const auto labels = iface->relations(QAccessible::Label);
        return labels.isEmpty() ? QString() : labels.first().first->text(QAccessible::Name);
    }
    return iface->text(text);
}

struct Control {
    const char* label; // the visible text, or the accessible name where there is none
    const char* description;
    const char* tooltip = "";
};

// Every control with its accessible name, hint and tooltip as the user meets them.
const Control controls[] = {
    {"Devices",
     "Keyboard shortcut D. Choose which MIDI sources are received, and which voice speaks each"},
    {"Export CSV", "Keyboard shortcut E. Saves every message currently in the buffer as a CSV file "
                   "— source device, raw hex, TTS Short text, and TTS Verbose text"},
    {"Clear", "Removes all messages from the list"},
    {"MIDI 1.0 Channel Voice", "Keyboard shortcut 1"},
    {"MIDI 2.0 Channel Voice", "Keyboard shortcut 2"},
    {"System Real-Time / Common", "Keyboard shortcut 3"},
    {"SysEx (7-bit)", "Keyboard shortcut 4"},
    {"SysEx (8-bit) / Mixed Data", "Keyboard shortcut 5"},
    {"Utility", "Keyboard shortcut 6"},
    {"Flex Data", "Keyboard shortcut 7"},
    {"UMP Stream", "Keyboard shortcut 8"},
    {"No Active Sensing", "Keyboard shortcut S"},
    {"No MIDI Clock", "Keyboard shortcut C"},
    {"Only UMP-Native Connections", "Keyboard shortcut U"},
    {"MIDI 1.0 Protocol Only", "Keyboard shortcut L",
     "Receive as a MIDI 1.0-only app would: MIDI 2.0 messages are converted to MIDI 1.0 before "
     "they arrive"},
    {"Last Interrupts", "Keyboard shortcut I. When on, every new message interrupts whatever's "
                        "currently speaking instead of being dropped while busy"},
    {"Tick on Message", "Keyboard shortcut K. Plays a short tick for every new message — useful "
                        "while speech is busy reading another and can't announce it"},
    {"User Guide", "Opens the User Guide window. Press G anytime to read it aloud."},
    {"Message buffer size", "How many messages are kept before the oldest are discarded"},
    {"Speech narration level", "Keyboard shortcut T cycles through levels"},
    {"Speech rate", "Keyboard shortcuts: [ for slower, ] for faster"},
    {"Speech volume", "Keyboard shortcuts: up arrow louder, down arrow softer"},
};

QWidget* findControl(const QWidget& window, const QString& label) {
    if (QAbstractButton* button = buttonNamed(window, label)) return button;
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->accessibleName() != label) continue;
        if (auto* buddyLabel = qobject_cast<QLabel*>(widget); buddyLabel && buddyLabel->buddy())
            return buddyLabel->buddy();
        return widget;
    }
    return nullptr;
}

TEST(MonitorWindow, EveryControlHasItsNameHintAndTooltip) {
    MonitorWindow window;
    for (const Control& control : controls) {
        const QString label = QString::fromUtf8(control.label);
        QWidget* widget = findControl(window, label);
        ASSERT_NE(widget, nullptr) << control.label;
        EXPECT_EQ(accessibleText(widget, QAccessible::Name), label) << control.label;
        EXPECT_EQ(accessibleText(widget, QAccessible::Description),
                  QString::fromUtf8(control.description))
            << control.label;
        EXPECT_EQ(widget->toolTip(), QString::fromUtf8(control.tooltip)) << control.label;
    }
}

TEST(MonitorWindow, FixedTextsOfTheWindow) {
    MonitorWindow window;
    window.setVersionText(QStringLiteral("v1.2.3 (45)"));
    EXPECT_GE(window.minimumSize().width(), 780);
    EXPECT_GE(window.minimumSize().height(), 460);
    EXPECT_EQ(window.aboutAction()->text(), QStringLiteral("About Umbrascope"));
    for (const char* header : {"More", "Hex Data", "Description", "Buffer"}) {
        bool found = false;
        for (QLabel* label : window.findChildren<QLabel*>())
            found = found || label->text() == QString::fromUtf8(header);
        EXPECT_TRUE(found) << header;
    }
    auto* picker = window.findChild<QComboBox*>(QStringLiteral("bufferPicker"));
    ASSERT_NE(picker, nullptr);
    QStringList choices;
    for (int i = 0; i < picker->count(); ++i)
        choices << picker->itemText(i);
    EXPECT_EQ(choices, (QStringList{"500", "1000", "5000"}));
    auto* levels = window.findChild<NarrationLevelSelector*>();
    ASSERT_NE(levels, nullptr);
    EXPECT_EQ(levels->button(TTSLevel::off)->text(), QStringLiteral("TTS Off"));
    EXPECT_EQ(levels->button(TTSLevel::short_)->text(), QStringLiteral("TTS Short"));
    EXPECT_EQ(levels->button(TTSLevel::verbose)->text(), QStringLiteral("TTS Verbose"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(levels)->role(), QAccessible::Grouping);
}

TEST(MonitorWindow, HeaderReadsAsOneElement) {
    struct Case {
        QStringList sources;
        const char* expected;
    };
    const Case cases[] = {
        {{}, "Umbrascope v0.1.0 (7), Showing Universal MIDI Packet Data, No MIDI sources found"},
        {{"Keyboard", "Pads"},
         "Umbrascope v0.1.0 (7), Showing Universal MIDI Packet Data, Connected: Keyboard, Pads"},
    };
    MonitorWindow window;
    window.setVersionText(QStringLiteral("v0.1.0 (7)"));
    auto* title = window.findChild<TextBlock*>(QStringLiteral("titleBlock"));
    ASSERT_NE(title, nullptr);
    for (const Case& c : cases) {
        window.setConnectedSources(c.sources);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(title);
        EXPECT_EQ(iface->text(QAccessible::Name), QString::fromUtf8(c.expected));
        EXPECT_EQ(iface->childCount(), 0);
    }
}

TEST(MonitorWindow, MessageCountReadsMessagesForEveryNumberWithinAFrame) {
    MonitorWindow window;
    auto* count = window.findChild<QLabel*>(QStringLiteral("messageCount"));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text(), QStringLiteral("0 messages"));
    for (const qsizetype n : {qsizetype{1}, qsizetype{0}, qsizetype{5000}}) {
        window.setMessageCount(n);
        const QString expected = QStringLiteral("%1 messages").arg(n);
        EXPECT_TRUE(waitFor([&] { return count->text() == expected; })) << n;
    }
}

TEST(MonitorWindow, BadgesAndTheEndElementFollowTheirSetters) {
    MonitorWindow window;
    test::VectorRows rows;
    rows.add(200);
    window.setRowSource(&rows);
    window.show();
    auto* idle = window.findChild<TextBlock*>(QStringLiteral("idleBadge"));
    auto* full = window.findChild<TextBlock*>(QStringLiteral("bufferFullBadge"));
    ASSERT_TRUE(idle && full);
    EXPECT_EQ(idle->combinedText(), QStringLiteral("Idle, No messages received"));
    EXPECT_EQ(full->combinedText(),
              QStringLiteral("Buffer Full, Oldest messages are being discarded"));

    MessageListView& list = window.messageList();
    ASSERT_TRUE(waitFor([&] { return list.verticalScrollBar()->maximum() > 0; }));
    window.setIdle(false);
    window.setBufferFull(true);
    EXPECT_FALSE(idle->isVisible());
    EXPECT_TRUE(full->isVisible());
    EXPECT_EQ(list.endElementHeight(), 1);
    const int busyMaximum = list.verticalScrollBar()->maximum();

    // Clear: idle at once, the buffer no longer full; the end element grows by 29 px.
    window.setIdle(true);
    window.setBufferFull(false);
    EXPECT_TRUE(idle->isVisible());
    EXPECT_FALSE(full->isVisible());
    EXPECT_EQ(list.endElementHeight(), 30);
    EXPECT_EQ(list.verticalScrollBar()->maximum(), busyMaximum + 29);
    window.scrollToEnd(false);
    EXPECT_EQ(list.verticalScrollBar()->value(), list.verticalScrollBar()->maximum());
}

TEST(MonitorWindow, SettersShowValuesWithoutReportingThem) {
    MonitorWindow window;
    QSignalSpy types(&window, &MonitorWindow::typeShownToggled);
    QSignalSpy filters(&window, &MonitorWindow::filterToggled);
    QSignalSpy rate(&window, &MonitorWindow::rateMoved);
    window.setTypeShown(UMPMessageType::data128, false);
    window.setFilter(FilterSwitch::midi1ProtocolOnly, true);
    window.setRateRange(0.2f, 0.8f);
    window.setRate(0.8f);
    window.setExportEnabled(false);
    EXPECT_EQ(types.size() + filters.size() + rate.size(), 0);
    EXPECT_FALSE(buttonNamed(window, QStringLiteral("SysEx (8-bit) / Mixed Data"))->isChecked());
    EXPECT_TRUE(buttonNamed(window, QStringLiteral("MIDI 1.0 Protocol Only"))->isChecked());
    EXPECT_FALSE(buttonNamed(window, QStringLiteral("Export CSV"))->isEnabled());
    auto* slider = qobject_cast<QSlider*>(findControl(window, QStringLiteral("Speech rate")));
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), slider->maximum());

    // The user's clicks are reported, with the value they chose.
    buttonNamed(window, QStringLiteral("SysEx (8-bit) / Mixed Data"))->click();
    ASSERT_EQ(types.size(), 1);
    EXPECT_EQ(types[0][0].value<UMPMessageType>(), UMPMessageType::data128);
    EXPECT_TRUE(types[0][1].toBool());
    slider->setValue(0);
    ASSERT_EQ(rate.size(), 1);
    EXPECT_FLOAT_EQ(rate[0][0].toFloat(), 0.2f);
}

TEST(MonitorWindow, AboutShowsNameCreditsAndLogo) {
    MonitorWindow window;
    window.aboutAction()->trigger();
    AboutDialog* about = window.aboutDialog();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    auto* credits = about->findChild<QLabel*>(QStringLiteral("aboutCredits"));
    ASSERT_NE(credits, nullptr);
    EXPECT_EQ(about->findChild<QLabel*>(QStringLiteral("aboutName"))->text(),
              QStringLiteral("Umbrascope"));
    EXPECT_EQ(credits->text(), QStringLiteral("A simple MIDI 2.0 (UMP) monitor."));
    EXPECT_EQ(credits->font().pointSize(), 11);
    EXPECT_NE(credits->palette().color(QPalette::WindowText),
              window.palette().color(QPalette::WindowText));
    EXPECT_FALSE(about->findChild<QLabel*>(QStringLiteral("aboutLogo"))->pixmap().isNull());
    about->close();
    EXPECT_TRUE(waitFor([&] { return window.aboutDialog() == nullptr; }));
}

TEST(AboutDialog, FallsBackToTheApplicationIconWithoutTheLogo) {
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    QApplication::setWindowIcon(QIcon(icon));
    const QImage fallback =
        AboutDialog::logoIcon(QStringLiteral(":/no/such/logo.svg")).pixmap(16, 16).toImage();
    EXPECT_EQ(fallback.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_FALSE(AboutDialog::logoIcon().pixmap(16, 16).toImage().pixelColor(8, 8) ==
                 QColor(Qt::red));
    QApplication::setWindowIcon(QIcon());
}

} // namespace
} // namespace umbrascope
