#pragma once

#include <QAccessible>
#include <QElapsedTimer>
#include <QListView>
#include <QPointer>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/Identifier.hpp"

class QPropertyAnimation;
class QTimer;

namespace umbrascope {

class MessageListModel;
class MessageRowDelegate;

// The virtualised message list. It owns its model and row delegate and ends with an empty strip,
// the end element, that scrolling to the end brings into view.
//
// It keeps a current row whenever it has rows (screen readers and the Enter key need one). The
// current row follows the newest message only while the list does not have the keyboard focus and
// the user has not moved it away from the newest; with the focus (taken by the user, or read by a
// screen reader) it stays on its message, and the view does not scroll under it, so what a screen
// reader read is what Enter opens. End goes to
// the newest. When the current message leaves (dropped from the buffer, or hidden), the current
// row moves to the first message after it that remains, and a screen reader is told of the new
// focus before the item it was on is destroyed. When the oldest message it moved to is dropped in
// turn before the user moved or pressed a key in the list (a user sitting at the front of a
// buffer that is being trimmed), the row moves on quietly: the item the screen reader is on is
// carried to the new row, and no focus event follows. Main thread only.
class MessageListView final : public QListView {
    Q_OBJECT
public:
    static constexpr int idleEndHeight = 30;
    static constexpr int busyEndHeight = 1;

    explicit MessageListView(QWidget* parent = nullptr);
    ~MessageListView() override;

    MessageListModel& messageModel() const { return *model_; }
    MessageRowDelegate& rowDelegate() const { return *delegate_; }

    void setEndElementHeight(int height);
    int endElementHeight() const { return endHeight_; }
    // Brings the end element to the bottom of the view; not while the list has the focus and its
    // current row is not the newest.
    void scrollToEnd(bool animated);
    // True while the current row stays on its message whatever arrives.
    bool holdsCurrentRow() const;

    // What the copy commands copy: the selected rows, oldest first, or else the current row.
    std::vector<int> rowsToCopy() const;

    // The accessible item of a row, made on first use and kept until the row leaves the list.
    QAccessibleInterface* rowAccessible(int row);
    std::size_t liveRowAccessibleCount() const;

signals:
    // "More" of a row, by mouse, by Enter or Space on the current row, or by a screen reader.
    void moreRequested(int row);
    // A screen reader is told that the focus is on this row (-1: on the list) without the user
    // having moved it: the current message left, or the list took the focus.
    void accessibleFocusMoved(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void reset() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                         const QEvent* event) const override;

private:
    // The accessible item made for a row, and the message it was made for.
    struct RowSlot {
        QAccessible::Id id = 0;
        Identifier message;
    };

    bool hasHeldFocus() const;
    void settleCurrentRow();
    int rowOfCurrentMessage() const;
    void rememberCurrent();
    void announceCurrent();
    void requestAnnouncement();
    void announceNow();
    void destroyLeaving();
    void forgetRowAccessibles(int first, int last);
    void keepRowAccessiblesOverReset();
    void destroyLater(QAccessible::Id id);
    bool movesQuietly() const;
    void carryFocusedItem(int row);

    MessageListModel* model_;
    MessageRowDelegate* delegate_;
    int endHeight_ = idleEndHeight;
    bool keepingCurrentRow_ = false;
    bool userMoved_ = false; // the user put the current row elsewhere than on the newest
    bool enteredByUser_ = false;
    bool endBeforeRemeasure_ = false;
    QPointer<QPropertyAnimation> scrollAnimation_;
    // The current row's message, as it was before a change was applied.
    bool hasCurrent_ = false;
    Identifier currentMessage_;
    std::int64_t currentSequence_ = 0;
    // Where the held current row was on screen before rows above it left.
    std::optional<int> heldTop_;
    // One slot per row.
    std::vector<RowSlot> rows_;
    // Items of rows that left, kept until a screen reader on them was told of the new focus.
    std::vector<QAccessible::Id> leaving_;
    // A departure was announced, and the user did nothing in the list since.
    bool departureAnnounced_ = false;
    // The focused item of a row dropped from the front, until it is put on the new current row.
    QAccessible::Id carried_ = 0;
    bool movingQuietly_ = false;
    QTimer* announceTimer_ = nullptr;
    QElapsedTimer lastAnnouncement_;
};

} // namespace umbrascope
