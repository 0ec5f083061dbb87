#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <gtest/gtest.h>

#include "MonitorFixture.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"

namespace umbrascope {
namespace {

using testing_support::Texts;

QComboBox* picker(const MonitorWindow& window, const char* name) {
    return window.findChild<QComboBox*>(QString::fromUtf8(name));
}

TEST(MonitorWindowMenus, EditComesBeforeHelpAndHoldsBothCopiesWithTheirShortcuts) {
    MonitorWindow window;
    QStringList menus;
    for (QAction* action : window.menuBar()->actions())
        menus << action->text();
    EXPECT_LT(menus.indexOf(QStringLiteral("&Edit")), menus.indexOf(QStringLiteral("&Help")));
    std::vector<CopyKind> copies;
    QObject::connect(&window, &MonitorWindow::copyRequested,
                     [&copies](CopyKind kind) { copies.push_back(kind); });
    const QAction* editMenu =
        window.menuBar()->actions().at(menus.indexOf(QStringLiteral("&Edit")));
    QStringList shortcuts;
    for (QAction* action : editMenu->menu()->actions()) {
        shortcuts << action->shortcut().toString(QKeySequence::PortableText);
        action->trigger();
    }
    EXPECT_EQ(shortcuts, (QStringList{QStringLiteral("Ctrl+C"), QStringLiteral("Ctrl+Shift+C")}));
    EXPECT_EQ(copies, (std::vector<CopyKind>{CopyKind::hex, CopyKind::details}));
}

TEST(MonitorWindowAccess, ThePickersAreNamedHintedAndReachedByTheirLabelsMnemonic) {
    test::Monitor w;
    MonitorWindow& window = w.window;
    const struct {
        const char* object;
        const char* label;
        Qt::Key mnemonic;
        const char* first;
        const char* last;
    } pickers[] = {
        {"channelPicker", "&Channel", Qt::Key_C, "All channels", "Channel 16"},
        {"groupPicker", "&Group", Qt::Key_G, "All groups", "Group 16"},
    };
    for (const auto& p : pickers) {
        SCOPED_TRACE(p.object);
        QComboBox* box = picker(window, p.object);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->count(), 17);
        EXPECT_EQ(box->itemText(0), QString::fromUtf8(p.first));
        EXPECT_EQ(box->itemText(16), QString::fromUtf8(p.last));
        EXPECT_TRUE(box->accessibleDescription().startsWith(
            QStringLiteral("Keyboard shortcut Alt+%1. ").arg(QChar(p.mnemonic))));
        const QLabel* label = nullptr;
        for (const QLabel* l : window.findChildren<QLabel*>())
            if (l->buddy() == box) label = l;
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->text(), QString::fromUtf8(p.label));
        EXPECT_EQ(label->accessibleName(), box->accessibleName());

        window.messageList().setFocus();
        QTest::keyClick(&window, p.mnemonic, Qt::AltModifier);
        EXPECT_TRUE(test::waitFor([&] { return QApplication::focusWidget() == box; }));
    }
}

QStringList rowHexes(const MonitorWindow& window) {
    window.messageModel().flush();
    QStringList hexes;
    for (int row = 0; row < window.messageModel().rowCount(); ++row)
        if (const MIDIMessage* message = window.messageModel().messageAt(row))
            hexes << QString::fromStdString(hexString(*message));
    return hexes;
}

// The pickers act through the view, which says the choice; the window shows the view's choice.
TEST(MonitorWindowAddress, APickerHidesRowsOfOtherChannelsAndAllShowsThemAgain) {
    test::Monitor w;
    w.bind();
    w.receive({0x20903C64u});
    w.receive({0x20993C64u});
    w.receive({0x10F80000u});
    w.speechOn();
    w.log->calls.clear();
    QComboBox* channels = picker(w.window, "channelPicker");
    channels->setFocus();
    for (int i = 0; i < 10; ++i)
        QTest::keyClick(channels, Qt::Key_Down);
    w.queue.drain();
    EXPECT_EQ(channels->currentText(), QStringLiteral("Channel 10"));
    EXPECT_EQ(rowHexes(w.window),
              (QStringList{QStringLiteral("20993C64"), QStringLiteral("10F80000")}));
    EXPECT_EQ(w.spoken().back(), "Channel 10");

    w.view->setShownAddress(AddressField::channel, std::nullopt);
    w.view->setShownAddress(AddressField::group, 1);
    w.queue.drain();
    EXPECT_EQ(channels->currentText(), QStringLiteral("All channels"));
    EXPECT_EQ(picker(w.window, "groupPicker")->currentText(), QStringLiteral("Group 2"));
    EXPECT_TRUE(rowHexes(w.window).isEmpty());
    emit picker(w.window, "groupPicker")->activated(0);
    w.queue.drain();
    EXPECT_EQ(rowHexes(w.window).size(), 3);
    EXPECT_EQ(w.spoken().back(), "All groups");
}

// Ctrl+C in the list copies; C alone is still the MIDI Clock switch.
TEST(MonitorWindowCopy, TheCurrentRowOrTheSelectedRowsGoToTheClipboard) {
    test::Monitor w;
    w.bind();
    w.receive({0x20903C64u});
    w.receive({0x40903C00u, 0xFFFF0000u});
    w.receive({0x10FA0000u});
    w.speechOn();
    w.log->calls.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    MessageListView& list = w.window.messageList();
    list.setFocus();
    ASSERT_TRUE(test::waitFor([&] { return list.hasFocus(); }));
    w.window.messageModel().flush();
    list.setCurrentIndex(list.model()->index(2, 0));

    test::press(Qt::Key_C, Qt::ControlModifier);
    w.queue.drain();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("10FA0000\n"));
    EXPECT_EQ(w.spoken(), Texts{"Copied"});
    EXPECT_FALSE(w.view->midiManager().hideMidiClock());

    EXPECT_FALSE(list.rowAccessible(2)->state().selectable) << "no 'not selected' on each row";
    test::press(Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_TRUE(list.rowAccessible(1)->state().selected);
    EXPECT_TRUE(list.rowAccessible(2)->state().selected);
    EXPECT_FALSE(list.rowAccessible(0)->state().selectable);
    test::press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("40903C00  FFFF0000\n10FA0000\n"));
    test::press(Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    const QString details = QGuiApplication::clipboard()->text();
    EXPECT_TRUE(details.startsWith(QStringLiteral("Note On: C4 (60)"))) << details.toStdString();
    EXPECT_TRUE(details.contains(QStringLiteral("\n\nStart \u2014 Grp 1\n")))
        << details.toStdString();

    // A plain move leaves nothing selected: the current row alone is copied.
    test::press(Qt::Key_Up);
    test::press(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("20903C64\n"));

    test::type('c');
    w.queue.drain();
    EXPECT_TRUE(w.view->midiManager().hideMidiClock());

    w.view->midiManager().clearMessages();
    w.queue.drain();
    w.log->calls.clear();
    test::press(Qt::Key_C, Qt::ControlModifier);
    w.queue.drain();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("20903C64\n"));
    EXPECT_EQ(w.spoken(), Texts{"No Message To Copy"});
}

} // namespace
} // namespace umbrascope
