#include <QAccessible>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "UiTestSupport.hpp"
#include "ui/MonitorWindow.hpp"

namespace umbrascope {
namespace {

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

} // namespace
} // namespace umbrascope
