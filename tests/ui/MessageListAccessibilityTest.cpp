#include <QAccessible>
#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>

#include "UiTestSupport.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MessageRowDelegate.hpp"

namespace umbrascope {
namespace {

using test::VectorRows;
using test::waitFor;

class ListFixture : public ::testing::Test {
protected:
    void SetUp() override {
        rows.messages.push_back(test::makeMessage(0, {0x20903C40}, "Keys"));
        rows.messages.push_back(test::makeMessage(1, {0x10F80000}, "Clock"));
        rows.messages.push_back(test::makeMessage(2, {0x40903C00, 0xFFFF0000}, "Keys"));
        view.resize(900, 400);
        view.messageModel().setSource(&rows);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        list = QAccessible::queryAccessibleInterface(&view);
        ASSERT_NE(list, nullptr);
    }

    VectorRows rows;
    MessageListView view;
    QAccessibleInterface* list = nullptr;
};

TEST_F(ListFixture, RowsAreOneItemEachWithTheirCombinedText) {
    EXPECT_EQ(list->role(), QAccessible::List);
    ASSERT_EQ(list->childCount(), 3);
    QAccessibleInterface* row = list->child(1);
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->role(), QAccessible::ListItem);
    EXPECT_EQ(
        row->text(QAccessible::Name),
        QStringLiteral("More, 10F80000, System Real-Time / Common, Timing Clock — Grp 1, Clock"));
    EXPECT_EQ(row->childCount(), 0);
    EXPECT_EQ(row->parent(), list);
    EXPECT_EQ(list->indexOfChild(row), 1);
    EXPECT_EQ(list->child(1), row) << "the same item on every ask";
}

TEST_F(ListFixture, OutOfRangeAndEmptyListsGiveNoChildAndNoCrash) {
    EXPECT_EQ(list->child(-1), nullptr);
    EXPECT_EQ(list->child(3), nullptr);
    rows.messages.clear();
    view.messageModel().reset();
    view.messageModel().flush();
    EXPECT_EQ(list->childCount(), 0);
    EXPECT_EQ(list->focusChild(), nullptr);
    EXPECT_EQ(list->child(0), nullptr);
    EXPECT_EQ(list->childAt(view.mapToGlobal(QPoint(5, 5)).x(), view.mapToGlobal(QPoint(5, 5)).y()),
              nullptr);
}

TEST_F(ListFixture, ItemsOfRowsThatLeftAreGoneAndTheRestFollowTheirRows) {
    QAccessibleInterface* first = list->child(0);
    QAccessibleInterface* last = list->child(2);
    const QAccessible::Id firstId = QAccessible::uniqueId(first);
    const QAccessible::Id lastId = QAccessible::uniqueId(last);
    rows.dropFront(2);
    view.messageModel().removedFromFront(2);
    view.messageModel().flush();
    EXPECT_EQ(QAccessible::accessibleInterface(firstId), nullptr);
    ASSERT_EQ(QAccessible::accessibleInterface(lastId), last);
    EXPECT_EQ(list->indexOfChild(last), 0);
    EXPECT_EQ(list->child(0), last);
    ASSERT_NE(list->focusChild(), nullptr) << "a current row remains";

    rows.messages.clear();
    view.messageModel().reset();
    view.messageModel().flush();
    EXPECT_EQ(QAccessible::accessibleInterface(lastId), nullptr);
    EXPECT_EQ(view.liveRowAccessibleCount(), 0u);
}

TEST_F(ListFixture, MoreByMouseKeyboardAndScreenReader) {
    QSignalSpy more(&view, &MessageListView::moreRequested);
    view.setFocus();
    view.setCurrentIndex(view.model()->index(1, 0));
    QTest::keyClick(&view, Qt::Key_Return);
    QTest::keyClick(&view, Qt::Key_Space);
    QTest::keyClick(&view, Qt::Key_Enter, Qt::KeypadModifier);

    const QRect rowRect = view.visualRect(view.model()->index(2, 0));
    const QPoint onButton = view.rowDelegate().moreButtonRect(rowRect).center();
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onButton);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, rowRect.center() + QPoint(200, 0));

    QAccessibleInterface* row = list->child(0);
    ASSERT_NE(row->actionInterface(), nullptr);
    row->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    ASSERT_EQ(more.size(), 5);
    const int expected[] = {1, 1, 1, 2, 0};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(more[i][0].toInt(), expected[i]) << i;
}

TEST_F(ListFixture, TheCurrentRowLeavingFromTheFrontDoesNotMoveTheView) {
    rows.add(200);
    view.messageModel().appended(200);
    view.scrollToEnd(false);
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    view.setFocus();
    view.setCurrentIndex(view.model()->index(0, 0));
    view.scrollToEnd(false);
    for (int frame = 0; frame < 3; ++frame) {
        rows.dropFront(10);
        view.messageModel().removedFromFront(10);
        rows.add(10);
        view.messageModel().appended(10);
        view.messageModel().flush();
        EXPECT_EQ(bar->value(), bar->maximum()) << frame;
        EXPECT_TRUE(view.currentIndex().isValid()) << frame;
    }
}

TEST_F(ListFixture, TheCurrentRowIsTheNewestUntilTheUserMovesIt) {
    const auto arrive = [&](std::size_t count) {
        rows.add(count);
        view.messageModel().appended(count);
        view.messageModel().flush();
        return view.currentIndex().row();
    };
    view.setFocus();
    EXPECT_EQ(view.currentIndex().row(), 2);
    EXPECT_EQ(arrive(5), 7);
    QTest::keyClick(&view, Qt::Key_Home);
    EXPECT_EQ(arrive(5), 0) << "the user's row stays";
    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_EQ(view.currentIndex().row(), 12);
    EXPECT_EQ(arrive(5), 17) << "back at the newest, it follows again";
    QTest::keyClick(&view, Qt::Key_Home);
    rows.dropFront(rows.messages.size());
    view.messageModel().removedFromFront(22);
    view.messageModel().flush();
    EXPECT_EQ(arrive(5), 4) << "after a clear, it follows again";
}

TEST_F(ListFixture, AnAnimatedScrollEndsAtTheEndThatRowsMovedOnTheWay) {
    QScrollBar* bar = view.verticalScrollBar();
    view.scrollToEnd(false);
    rows.add(200);
    view.messageModel().appended(200);
    view.messageModel().flush();
    bar->setValue(0);
    view.scrollToEnd(true);
    const int endAtStart = bar->maximum();
    rows.add(50);
    view.messageModel().appended(50);
    view.messageModel().flush();
    EXPECT_TRUE(
        waitFor([&] { return bar->maximum() > endAtStart && bar->value() == bar->maximum(); }));
}

} // namespace
} // namespace umbrascope
