#include <QAccessible>
#include <QElapsedTimer>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <vector>

#include "UiTestSupport.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MessageRowDelegate.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {
namespace {

using test::VectorRows;
using test::waitFor;

// One change of the source and its report to the model: rows dropped from the front, rows
// appended, a reset, or rows dropped without a report (a faulty owner).
struct Report {
    enum Kind { drop, add, clear, unreportedDrop } kind;
    std::size_t count = 0;
};

std::vector<Report> fullBufferBurst() {
    std::vector<Report> reports;
    for (int i = 0; i < 50; ++i)
        reports.insert(reports.end(), {{Report::add, 64}, {Report::drop, 64}});
    return reports;
}

TEST(MessageListModel, AppliesAFramesReportsAsOneRemovalAndOneInsertionOrAReset) {
    const struct {
        const char* name;
        std::size_t initialRows;
        std::vector<Report> reports;
        int removed; // rows removed and inserted in the one update; -1: a reset instead
        int inserted;
    } sequences[] = {
        {"appendToEmpty", 0, {{Report::add, 3}}, 0, 3},
        {"manyBatchesOneInsertion", 10, std::vector<Report>(100, {Report::add, 64}), 0, 6400},
        {"fullBufferBurst", 500, fullBufferBurst(), 500, 500},
        {"appendedThenDroppedInOneFrame", 4, {{Report::add, 10}, {Report::drop, 12}}, 4, 2},
        {"dropOnly", 8, {{Report::drop, 3}}, 3, 0},
        {"clearIsAReset", 8, {{Report::add, 2}, {Report::clear}}, -1, 0},
        {"reportsThatDoNotAddUpReset", 8, {{Report::unreportedDrop, 3}, {Report::add, 1}}, -1, 0},
    };
    for (const auto& sequence : sequences) {
        SCOPED_TRACE(sequence.name);
        VectorRows rows;
        rows.add(sequence.initialRows);
        MessageListModel model;
        model.setSource(&rows);
        QSignalSpy removals(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy insertions(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        for (const Report& report : sequence.reports) {
            switch (report.kind) {
            case Report::drop:
                model.removedFromFront(report.count);
                [[fallthrough]];
            case Report::unreportedDrop:
                rows.dropFront(report.count);
                break;
            case Report::add:
                rows.add(report.count);
                model.appended(report.count);
                break;
            case Report::clear:
                rows.messages.clear();
                model.reset();
                break;
            }
        }
        ASSERT_TRUE(waitFor([&] { return !model.hasPendingChanges(); }));

        EXPECT_EQ(resets.size(), sequence.removed < 0 ? 1 : 0);
        ASSERT_EQ(removals.size(), sequence.removed > 0 ? 1 : 0);
        ASSERT_EQ(insertions.size(), sequence.inserted > 0 ? 1 : 0);
        if (sequence.removed > 0) {
            EXPECT_EQ(removals[0][1].toInt(), 0);
            EXPECT_EQ(removals[0][2].toInt(), sequence.removed - 1);
        }
        if (sequence.inserted > 0) {
            EXPECT_EQ(insertions[0][2].toInt() - insertions[0][1].toInt() + 1, sequence.inserted);
        }
        // Every row shows the source's message at that place.
        ASSERT_EQ(static_cast<std::size_t>(model.rowCount()), rows.rowCount());
        for (int row = 0; row < model.rowCount(); ++row)
            ASSERT_EQ(model.messageAt(row), &rows.message(static_cast<std::size_t>(row))) << row;
    }
}

TEST(MessageListModel, RowsKeepTheirMessagesUntilTheFrameIsApplied) {
    VectorRows rows;
    rows.add(5);
    MessageListModel model;
    model.setSource(&rows);
    const MIDIMessage* third = &rows.message(2);
    rows.dropFront(2);
    model.removedFromFront(2);
    rows.add(1);
    model.appended(1);
    // Not yet applied: the old numbering still holds; dropped rows show nothing.
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.messageAt(0), nullptr);
    EXPECT_EQ(model.messageAt(2), third);
    EXPECT_FALSE(model.data(model.index(0), Qt::DisplayRole).isValid());
    model.flush();
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.messageAt(0), third);
}

class MessageList : public ::testing::Test {
protected:
    void SetUp() override {
        rows.messages.push_back(test::makeMessage(0, {0x20903C40}, "Keys"));
        rows.messages.push_back(test::makeMessage(1, {0x10F80000}, "Clock"));
        rows.messages.push_back(test::makeMessage(2, {0x40903C00, 0xFFFF0000}, "Keys"));
        rows.next = 3;
        view.resize(900, 400);
        view.messageModel().setSource(&rows);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        list = QAccessible::queryAccessibleInterface(&view);
        ASSERT_NE(list, nullptr);
    }
    // Rows arriving at the end or leaving from the front, reported and applied as one frame.
    void arrive(std::size_t count, std::size_t leaving = 0) {
        rows.dropFront(leaving);
        view.messageModel().removedFromFront(leaving);
        rows.add(count);
        view.messageModel().appended(count);
        view.messageModel().flush();
    }
    void clear() {
        rows.messages.clear();
        view.messageModel().reset();
        view.messageModel().flush();
    }
    // The rows rebuilt without one message, as a type filter does.
    void hide(std::int64_t sequence) {
        std::erase_if(rows.messages,
                      [&](const MIDIMessage& m) { return m.sequenceNumber == sequence; });
        view.messageModel().reset();
        view.messageModel().flush();
    }
    std::int64_t currentSequence() const {
        const MIDIMessage* message = view.messageModel().messageAt(view.currentIndex().row());
        return message ? message->sequenceNumber : -1;
    }

    VectorRows rows;
    MessageListView view;
    QAccessibleInterface* list = nullptr;
};

// Items are kept per row: a screen reader holds on to them across frames.
TEST_F(MessageList, RowsAreChildlessItemsThatFollowTheirRowsAndGoWithThem) {
    ASSERT_EQ(list->childCount(), 3);
    EXPECT_EQ(list->child(-1), nullptr);
    EXPECT_EQ(list->child(3), nullptr);
    EXPECT_EQ(list->focusChild(), list->child(2)) << "the current row, the newest";
    QAccessibleInterface* first = list->child(0);
    QAccessibleInterface* last = list->child(2);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->childCount(), 0);
    EXPECT_EQ(first->parent(), list);
    const QAccessible::Id firstId = QAccessible::uniqueId(first);
    const QAccessible::Id lastId = QAccessible::uniqueId(last);
    arrive(0, 2);
    EXPECT_EQ(QAccessible::accessibleInterface(firstId), nullptr);
    ASSERT_EQ(QAccessible::accessibleInterface(lastId), last);
    EXPECT_EQ(list->indexOfChild(last), 0);
    EXPECT_EQ(list->child(0), last);
    ASSERT_NE(list->focusChild(), nullptr) << "a current row remains";

    clear();
    EXPECT_EQ(QAccessible::accessibleInterface(lastId), nullptr);
    EXPECT_EQ(view.liveRowAccessibleCount(), 0u);
    EXPECT_EQ(list->childCount(), 0);
    EXPECT_EQ(list->focusChild(), nullptr);
    EXPECT_EQ(list->child(0), nullptr);
    const QPoint inside = view.mapToGlobal(QPoint(5, 5));
    EXPECT_EQ(list->childAt(inside.x(), inside.y()), nullptr);
}

TEST_F(MessageList, MoreByMouseKeyboardAndScreenReader) {
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

    QAccessibleInterface* row = list->child(1);
    ASSERT_NE(row->actionInterface(), nullptr);
    row->actionInterface()->doAction(QAccessibleActionInterface::pressAction());

    ASSERT_EQ(more.size(), 5);
    const int expected[] = {1, 1, 1, 2, 1};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(more[i][0].toInt(), expected[i]) << i;
}

// Steps of a user and of arriving messages; rows start as the messages 0, 1 and 2.
struct Step {
    enum Kind { focus, windowFocus, unfocus, key, arrive, hide, clear } kind;
    int a = 0;
    int b = 0;
};

TEST_F(MessageList, TheCurrentRowFollowsTheNewestOnlyUntilTheListHasTheFocus) {
    const struct {
        const char* name;
        std::vector<Step> steps;
        std::int64_t current; // sequence number of the current row's message
    } cases[] = {
        {"followsWithoutFocus", {{Step::arrive, 5}}, 7},
        {"heldOnceFocused", {{Step::focus}, {Step::arrive, 5}}, 2},
        {"theWindowsOwnFocusFollows", {{Step::windowFocus}, {Step::arrive, 5}}, 7},
        {"endGoesToTheNewestAndStays",
         {{Step::focus}, {Step::arrive, 5}, {Step::key, Qt::Key_End}, {Step::arrive, 2}},
         7},
        {"movedRowStaysWhenFocusLeaves",
         {{Step::focus}, {Step::key, Qt::Key_Home}, {Step::unfocus}, {Step::arrive, 5}},
         0},
        {"unmovedFollowsAgainWhenFocusLeaves",
         {{Step::focus}, {Step::arrive, 3}, {Step::unfocus}, {Step::arrive, 1}},
         6},
        {"droppedMovesToTheOldestRemaining",
         {{Step::focus}, {Step::key, Qt::Key_Home}, {Step::arrive, 2, 2}},
         2},
        {"hiddenMovesToTheNextVisible",
         {{Step::focus}, {Step::key, Qt::Key_Up}, {Step::hide, 1}},
         2},
        {"stillShownStaysOverARebuild",
         {{Step::focus}, {Step::key, Qt::Key_Home}, {Step::arrive, 3}, {Step::hide, 1}},
         0},
        {"emptiedStartsOverAtTheNewest",
         {{Step::focus}, {Step::key, Qt::Key_Home}, {Step::clear}, {Step::arrive, 2}},
         4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        view.clearFocus();
        rows.messages.clear();
        rows.next = 0;
        rows.add(3);
        view.messageModel().setSource(&rows);
        for (const Step& step : c.steps) {
            switch (step.kind) {
            case Step::focus:
                view.setFocus(Qt::TabFocusReason);
                ASSERT_TRUE(waitFor([&] { return view.hasFocus(); }));
                break;
            case Step::windowFocus: // as the window gives it at start
                view.setFocus(Qt::OtherFocusReason);
                break;
            case Step::unfocus:
                view.clearFocus();
                break;
            case Step::key:
                QTest::keyClick(&view, static_cast<Qt::Key>(step.a));
                break;
            case Step::arrive:
                arrive(static_cast<std::size_t>(step.a), static_cast<std::size_t>(step.b));
                break;
            case Step::hide:
                hide(step.a);
                break;
            case Step::clear:
                clear();
                break;
            }
        }
        EXPECT_EQ(currentSequence(), c.current);
        view.clearFocus();
        clear();
    }
}

// Where a screen reader is told the focus went, with whether the item it was on still lived.
struct FocusMoves {
    struct Move {
        int row;
        bool watchedAlive;
    };
    explicit FocusMoves(MessageListView& view) {
        QObject::connect(&view, &MessageListView::accessibleFocusMoved, &view, [this](int row) {
            moves.push_back({row, QAccessible::accessibleInterface(watched) != nullptr});
        });
    }
    std::vector<Move> moves;
    QAccessible::Id watched = 0;
};

TEST_F(MessageList, AScreenReaderOnALeavingRowHearsTheNewRowBeforeItsItemGoes) {
    view.clearFocus();
    view.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitFor([&] { return view.hasFocus(); }));
    QTest::keyClick(&view, Qt::Key_Home);
    FocusMoves focus(view);
    QAccessibleInterface* first = list->child(0);
    focus.watched = QAccessible::uniqueId(first);

    hide(1); // message 0 stays: its item lives on, and nothing is said
    EXPECT_TRUE(focus.moves.empty());
    EXPECT_EQ(QAccessible::accessibleInterface(focus.watched), first);
    EXPECT_EQ(list->focusChild(), first);

    arrive(3, 1); // message 0 leaves: the oldest remaining, message 2, takes the focus
    ASSERT_EQ(focus.moves.size(), 1u);
    EXPECT_EQ(focus.moves[0].row, 0);
    EXPECT_TRUE(focus.moves[0].watchedAlive);
    EXPECT_EQ(QAccessible::accessibleInterface(focus.watched), nullptr);
    EXPECT_EQ(currentSequence(), 2);
    ASSERT_NE(list->focusChild(), nullptr);

    focus.watched = QAccessible::uniqueId(list->focusChild());
    clear(); // no row left: the list itself takes the focus, within a second of the last move
    ASSERT_TRUE(waitFor([&] { return focus.moves.size() == 2; }));
    EXPECT_EQ(focus.moves[1].row, -1);
    EXPECT_TRUE(focus.moves[1].watchedAlive);
    EXPECT_EQ(QAccessible::accessibleInterface(focus.watched), nullptr);
}

// A user who sits at the front of a full buffer that keeps being trimmed hears the first move and
// then nothing until they move or press a key; the item they are on lives on with the row.
TEST_F(MessageList, AtTheFrontOfATrimmedBufferOnlyTheFirstDepartureIsAnnounced) {
    arrive(497); // a full buffer of 500
    FocusMoves focus(view);
    view.clearFocus();
    view.setFocus(Qt::TabFocusReason);
    QTest::keyClick(&view, Qt::Key_Home);
    ASSERT_TRUE(waitFor([&] { return !focus.moves.empty(); })) << "the list took the focus";
    QCoreApplication::processEvents();
    focus.moves.clear();
    QSignalSpy more(&view, &MessageListView::moreRequested);

    arrive(1, 1);
    ASSERT_EQ(focus.moves.size(), 1u);
    EXPECT_EQ(currentSequence(), 1);
    QAccessibleInterface* read = list->focusChild();
    ASSERT_NE(read, nullptr);
    focus.watched = QAccessible::uniqueId(read);

    // Well past the once-a-second limit, at about the Demo's rate.
    QElapsedTimer trimming;
    trimming.start();
    std::int64_t oldest = 1;
    while (trimming.elapsed() < 1500) {
        arrive(1, 1);
        ++oldest;
        QTest::qWait(60);
    }
    EXPECT_EQ(focus.moves.size(), 1u) << "moves after the first departure are quiet";
    EXPECT_EQ(currentSequence(), oldest);
    ASSERT_EQ(QAccessible::accessibleInterface(focus.watched), read);
    EXPECT_EQ(list->focusChild(), read);
    EXPECT_EQ(read->text(QAccessible::Name), view.model()->index(0, 0).data(Qt::AccessibleTextRole))
        << "the item reads the row it is now on";

    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_EQ(more.size(), 1);
    EXPECT_EQ(view.messageModel().messageAt(more[0][0].toInt())->sequenceNumber, oldest);

    arrive(1, 1); // after a key, the next departure is heard again
    ASSERT_TRUE(waitFor([&] { return focus.moves.size() == 2; }));
    EXPECT_EQ(focus.moves[1].row, 0);
    EXPECT_EQ(currentSequence(), oldest + 1);
}

TEST_F(MessageList, EnterOpensTheRowItIsOnEvenBeforeAFrameIsApplied) {
    QSignalSpy more(&view, &MessageListView::moreRequested);
    view.setFocus();
    ASSERT_TRUE(waitFor([&] { return view.hasFocus(); }));
    QTest::keyClick(&view, Qt::Key_Up); // message 1
    rows.dropFront(1);
    view.messageModel().removedFromFront(1);
    rows.add(2);
    view.messageModel().appended(2);
    QTest::keyClick(&view, Qt::Key_Return);
    ASSERT_EQ(more.size(), 1);
    EXPECT_EQ(view.messageModel().messageAt(more[0][0].toInt())->sequenceNumber, 1);

    // Its message leaves before the frame: Enter opens nothing, and the row moves on.
    rows.dropFront(1);
    view.messageModel().removedFromFront(1);
    QTest::keyClick(&view, Qt::Key_Return);
    EXPECT_EQ(more.size(), 1);
    EXPECT_EQ(currentSequence(), 2);
}

TEST_F(MessageList, AFocusedListHoldsStillUnderItsRow) {
    arrive(200);
    view.scrollToEnd(false);
    view.clearFocus();
    view.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(waitFor([&] { return view.hasFocus(); }));
    QTest::keyClick(&view, Qt::Key_End);
    QTest::keyClick(&view, Qt::Key_Up);
    QTest::keyClick(&view, Qt::Key_Up);
    const std::int64_t held = currentSequence();
    const int top = view.visualRect(view.currentIndex()).top();
    for (int frame = 0; frame < 3; ++frame) {
        arrive(10, 10);
        view.scrollToEnd(false);
        EXPECT_EQ(currentSequence(), held) << frame;
        EXPECT_EQ(view.visualRect(view.currentIndex()).top(), top) << frame;
    }
    // Without the focus, it follows the newest to the end again.
    view.clearFocus();
    arrive(1);
    view.scrollToEnd(false);
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST_F(MessageList, AnAnimatedScrollEndsAtTheEndThatRowsMovedOnTheWay) {
    QScrollBar* bar = view.verticalScrollBar();
    view.scrollToEnd(false);
    arrive(200);
    bar->setValue(0);
    view.scrollToEnd(true);
    const int endAtStart = bar->maximum();
    arrive(50);
    EXPECT_TRUE(
        waitFor([&] { return bar->maximum() > endAtStart && bar->value() == bar->maximum(); }));
}

// Rows of glyph pixels close to a colour, within a horizontal band of the image.
QList<int> rowsWithColour(const QImage& image, QRect band, const QColor& colour) {
    QList<int> rows;
    band = band.intersected(image.rect());
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 24 &&
                std::abs(pixel.green() - colour.green()) < 24 &&
                std::abs(pixel.blue() - colour.blue()) < 24) {
                rows << y;
                break;
            }
        }
    }
    return rows;
}

// `c` at `opacity` over `b`.
QColor over(const QColor& c, double opacity, const QColor& b) {
    const auto mix = [&](int x, int y) {
        return static_cast<int>(x * opacity + y * (1 - opacity) + 0.5);
    };
    return {mix(c.red(), b.red()), mix(c.green(), b.green()), mix(c.blue(), b.blue())};
}

TEST(MessageRowDelegate, HexInTheClassColourWithTheClassUnderIt) {
    const struct {
        const char* name;
        PacketWords words;
        UMPMessageType type;
    } cases[] = {
        {"midi2NoteOn", {0x40903C00, 0xFFFF0000}, UMPMessageType::midi2ChannelVoice},
        {"unknownInRed", {0x60000000}, UMPMessageType::unknown},
        {"system", {0x10F80000}, UMPMessageType::system},
    };
    const TypePalette& palette = currentTypePalette();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VectorRows rows;
        rows.messages.push_back(test::makeMessage(0, c.words));
        MessageListView view;
        view.resize(900, 200);
        view.messageModel().setSource(&rows);
        const QModelIndex index = view.model()->index(0, 0);
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.palette.setColor(QPalette::Text, Qt::black);
        const QSize size = view.rowDelegate().sizeHint(option, index);
        option.rect = QRect(QPoint(0, 0), size);
        QImage image(size, QImage::Format_RGB32);
        image.fill(palette.listBackground);
        {
            QPainter painter(&image);
            view.rowDelegate().paint(&painter, option, index);
        }
        const QColor colour = typeColor(c.type, palette);
        const QRect hexColumn(MessageRowDelegate::moreColumnWidth, 0,
                              MessageRowDelegate::hexColumnWidth, size.height());
        const QList<int> full = rowsWithColour(image, hexColumn, colour);
        const QList<int> faded =
            rowsWithColour(image, hexColumn, over(colour, 0.8, palette.listBackground));
        // The hex line ends where the monospaced line does; the class line is below it.
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(view.font().pointSizeF());
        const int hexBottom = MessageRowDelegate::verticalPadding + QFontMetrics(mono).height();
        ASSERT_FALSE(full.isEmpty()) << "hex words in the class colour";
        EXPECT_LT(full.last(), hexBottom) << "only the hex is at full colour";
        ASSERT_FALSE(faded.isEmpty());
        EXPECT_GE(faded.last(), hexBottom) << "the class at 80 % under the hex";
        const QRect description(hexColumn.right() + 1, 0, size.width() - hexColumn.right() - 1,
                                size.height());
        EXPECT_TRUE(rowsWithColour(image, description, colour).isEmpty())
            << "the description is not coloured by class";
        EXPECT_FALSE(rowsWithColour(image, description, palette.secondaryText).isEmpty())
            << "the source in the secondary colour";
    }
}

// A burst brings far more rows than are ever shown: only painted rows are measured, so a long
// description makes its row taller once it is scrolled into view, not before.
TEST(MessageRowDelegate, RowsAreMeasuredWhenFirstPainted) {
    VectorRows rows;
    rows.add(300);
    rows.messages[0].description = std::string(400, 'x');
    MessageListView view;
    view.resize(900, 300);
    view.messageModel().setSource(&rows);
    view.scrollToEnd(false);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const auto height = [&](int row) {
        return view.visualRect(view.model()->index(row, 0)).height();
    };
    const int oneLine = height(1);
    EXPECT_EQ(height(0), oneLine) << "not painted yet";
    view.verticalScrollBar()->setValue(0);
    EXPECT_TRUE(waitFor([&] { return height(0) > oneLine; }));
    EXPECT_EQ(height(1), oneLine);

    // A row that grows when first painted at the end keeps the list at its end.
    rows.add(1);
    rows.messages.back().description = std::string(400, 'x');
    view.messageModel().appended(1);
    view.scrollToEnd(false);
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_TRUE(waitFor([&] { return height(300) > oneLine; }));
    EXPECT_EQ(bar->value(), bar->maximum());
}

} // namespace
} // namespace umbrascope
