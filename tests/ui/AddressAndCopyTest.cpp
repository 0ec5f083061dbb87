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

} // namespace
} // namespace umbrascope
