#include <QAccessible>
#include <QSignalSpy>
#include <QSlider>
#include <gtest/gtest.h>

#include "UiTestSupport.hpp"
#include "ui/AboutDialog.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/TextBlock.hpp"

namespace umbrascope {
namespace {

using test::button;

TEST(MonitorWindow, TheHeaderReadsAsOneElementWithItsSources) {
    MonitorWindow window;
    window.setVersionText(QStringLiteral("v0.1.0 (7)"));
    auto* title = window.findChild<TextBlock*>(QStringLiteral("titleBlock"));
    ASSERT_NE(title, nullptr);
    const struct {
        QStringList sources;
        const char* expected;
    } cases[] = {
        {{}, "Umbrascope v0.1.0 (7), Showing Universal MIDI Packet Data, No MIDI sources found"},
        {{"Keyboard", "Pads"},
         "Umbrascope v0.1.0 (7), Showing Universal MIDI Packet Data, Connected: Keyboard, Pads"},
    };
    for (const auto& c : cases) {
        window.setConnectedSources(c.sources);
        QAccessibleInterface* block = QAccessible::queryAccessibleInterface(title);
        EXPECT_EQ(block->text(QAccessible::Name), QString::fromUtf8(c.expected));
        EXPECT_EQ(block->childCount(), 0);
    }
}

// Setters show what the view holds without reporting it back as the user's choice.
TEST(MonitorWindow, SettersShowValuesSilentlyAndTheUsersChangesAreReported) {
    MonitorWindow window;
    QSignalSpy types(&window, &MonitorWindow::typeShownToggled);
    QSignalSpy filters(&window, &MonitorWindow::filterToggled);
    QSignalSpy rate(&window, &MonitorWindow::rateMoved);
    window.setTypeShown(UMPMessageType::data128, false);
    window.setFilter(FilterSwitch::midi1ProtocolOnly, true);
    window.setRateRange(0.2f, 0.8f);
    window.setRate(0.8f);
    EXPECT_EQ(types.size() + filters.size() + rate.size(), 0);
    EXPECT_FALSE(button(window, "SysEx (8-bit) / Mixed Data")->isChecked());
    EXPECT_TRUE(button(window, "MIDI 1.0 Protocol Only")->isChecked());
    EXPECT_EQ(button(window, "MIDI 1.0 Protocol Only")->toolTip(),
              QStringLiteral("Receive as a MIDI 1.0-only app would: MIDI 2.0 messages are "
                             "converted to MIDI 1.0 before they arrive"));
    auto* slider = test::named<QSlider>(window, "Speech rate");
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->value(), slider->maximum());

    button(window, "SysEx (8-bit) / Mixed Data")->click();
    ASSERT_EQ(types.size(), 1);
    EXPECT_EQ(types[0][0].value<UMPMessageType>(), UMPMessageType::data128);
    EXPECT_TRUE(types[0][1].toBool());
    slider->setValue(0);
    ASSERT_EQ(rate.size(), 1);
    EXPECT_FLOAT_EQ(rate[0][0].toFloat(), 0.2f);
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

} // namespace
} // namespace umbrascope
