#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "UiTestSupport.hpp"
#include "ui/MessageListView.hpp"
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

} // namespace
} // namespace umbrascope
