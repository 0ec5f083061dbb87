#include "ui/MessageListView.hpp"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <unordered_map>
#include <utility>

#include "ui/AccessibleViews.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageRowDelegate.hpp"

namespace umbrascope {

MessageListView::MessageListView(QWidget* parent)
    : QListView(parent), model_(new MessageListModel(this)),
      delegate_(new MessageRowDelegate(this)) {
    installAccessibleViews();
    // A bar of our own: Qt's was made, and may have been announced, before our interfaces were
    // installed.
    auto* quietBar = new QScrollBar(Qt::Vertical, this);
    makeQuiet(quietBar);
    setVerticalScrollBar(quietBar);
    setModel(model_);
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Always there: a bar that comes and goes narrows the rows, which wrap anew and may take it
    // away again. Seen as a loop of hundreds of shows and hides a second, each told to the screen
    // reader, which fell behind the user's keys.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUniformItemSizes(false);
    setResizeMode(QListView::Adjust);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(false);
    setFrameShape(QFrame::NoFrame);
    connect(model_, &MessageListModel::changesApplied, this, &MessageListView::settleCurrentRow);
    announceTimer_ = new QTimer(this);
    announceTimer_->setSingleShot(true);
    connect(announceTimer_, &QTimer::timeout, this, &MessageListView::announceNow);
    // Slots of removed rows go once the rows are gone, so that rows are numbered as the model
    // numbers them while it removes them.
    connect(model_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int start, int end) {
                const int size = static_cast<int>(rows_.size());
                if (start >= size) return;
                rows_.erase(rows_.begin() + start, rows_.begin() + std::min(end + 1, size));
            });
    // A row measured when first painted may grow; at the end, the list stays at its end. (Rows
    // appended at the end do not move it: the debounced scroll does.)
    connect(delegate_, &QAbstractItemDelegate::sizeHintChanged, this, [this] {
        const QScrollBar* bar = verticalScrollBar();
        endBeforeRemeasure_ = endBeforeRemeasure_ || bar->value() == bar->maximum();
    });
    connect(delegate_, &MessageRowDelegate::moreClicked, this,
            [this](const QModelIndex& index) { emit moreRequested(index.row()); });
}

MessageListView::~MessageListView() {
    forgetRowAccessibles(0, static_cast<int>(rows_.size()) - 1);
    for (const QAccessible::Id id : leaving_)
        QAccessible::deleteAccessibleInterface(id);
    if (carried_) QAccessible::deleteAccessibleInterface(carried_);
}

void MessageListView::setEndElementHeight(int height) {
    if (height == endHeight_) return;
    endHeight_ = height;
    updateGeometries();
}

bool MessageListView::holdsCurrentRow() const {
    return userMoved_ || hasHeldFocus();
}

// The focus the window gives the list at start only makes key commands work: a list that nobody
// entered, and no screen reader reads, keeps showing the newest.
bool MessageListView::hasHeldFocus() const {
    return hasFocus() && (enteredByUser_ || QAccessible::isActive());
}

void MessageListView::scrollToEnd(bool animated) {
    // Rows reported this frame are laid out first, so that the end really is the end.
    model_->flush();
    const QModelIndex current = currentIndex();
    if (hasHeldFocus() && current.isValid() && current.row() != model_->rowCount() - 1) return;
    if (scrollAnimation_) scrollAnimation_->stop();
    executeDelayedItemsLayout();
    QScrollBar* bar = verticalScrollBar();
    // Every step of an animation is a value change that a listening screen reader must take in;
    // while one listens, the list jumps.
    if (!animated || bar->value() == bar->maximum() || QAccessible::isActive()) {
        bar->setValue(bar->maximum());
        return;
    }
    auto* animation = new QPropertyAnimation(bar, "value", this);
    animation->setDuration(250);
    animation->setEasingCurve(QEasingCurve::OutCubic);
    animation->setStartValue(bar->value());
    animation->setEndValue(bar->maximum());
    // Rows that arrive on the way move the end: the animation follows it.
    connect(bar, &QScrollBar::rangeChanged, animation,
            [animation](int, int maximum) { animation->setEndValue(maximum); });
    scrollAnimation_ = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void MessageListView::updateGeometries() {
    QListView::updateGeometries();
    QScrollBar* bar = verticalScrollBar();
    const int content = model_->rowCount() > 0 ? contentsSize().height() : 0;
    const int maximum = std::max(0, content + endHeight_ - viewport()->height());
    const bool remeasuredAtEnd = std::exchange(endBeforeRemeasure_, false);
    const bool wasAtEnd = remeasuredAtEnd || bar->value() == bar->maximum();
    // A finished animation waiting for deletion no longer follows the end.
    const bool animating =
        scrollAnimation_ && scrollAnimation_->state() == QAbstractAnimation::Running;
    // A focused list holds still under its current row.
    const QModelIndex current = currentIndex();
    const bool held =
        hasHeldFocus() && current.isValid() && current.row() != model_->rowCount() - 1;
    bar->setRange(0, maximum);
    bar->setPageStep(viewport()->height());
    if (wasAtEnd && !animating && !held) bar->setValue(maximum);
}

void MessageListView::resizeEvent(QResizeEvent* event) {
    delegate_->invalidateSizes();
    QListView::resizeEvent(event);
}

void MessageListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        delegate_->invalidateSizes();
        scheduleDelayedItemsLayout();
    }
    QListView::changeEvent(event);
}

void MessageListView::keyPressEvent(QKeyEvent* event) {
    const bool activates = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                           event->key() == Qt::Key_Space;
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    departureAnnounced_ = false;
    if (activates && modifiers == Qt::NoModifier && currentIndex().isValid()) {
        event->accept();
        // The row stays where the user used it, also while a sheet has the focus.
        userMoved_ = true;
        if (model_->messageAt(currentIndex().row())) {
            emit moreRequested(currentIndex().row());
        } else {
            // Its message has just left: the current row moves on, and the screen reader reads
            // the row that Enter would open now.
            model_->flush();
        }
        return;
    }
    QListView::keyPressEvent(event);
}

// Rows are selected only with Shift or Ctrl, for copying: a plain move or click leaves none
// selected, so a screen reader moving through the list hears no "selected" on every row, and
// the current row moving with new messages selects nothing.
QItemSelectionModel::SelectionFlags MessageListView::selectionCommand(const QModelIndex& index,
                                                                      const QEvent* event) const {
    if (!event) return QItemSelectionModel::NoUpdate;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    if (event->type() == QEvent::KeyPress)
        modifiers = static_cast<const QKeyEvent*>(event)->modifiers();
    else if (event->type() == QEvent::MouseButtonPress ||
             event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::MouseMove)
        modifiers = static_cast<const QMouseEvent*>(event)->modifiers();
    else
        return QListView::selectionCommand(index, event);
    if ((modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) == 0)
        return QItemSelectionModel::Clear;
    return QListView::selectionCommand(index, event);
}

std::vector<int> MessageListView::rowsToCopy() const {
    std::vector<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    if (rows.empty() && currentIndex().isValid()) rows.push_back(currentIndex().row());
    return rows;
}

void MessageListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (model_->isApplying() || keepingCurrentRow_) {
        // The current row left, and another took its place: neither a jump to it nor a focus
        // event for the screen reader, which would come every frame of a burst.
        update(previous);
        update(current);
        return;
    }
    userMoved_ = current.isValid() && current.row() != model_->rowCount() - 1;
    departureAnnounced_ = false;
    rememberCurrent();
    QListView::currentChanged(current, previous);
}

void MessageListView::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    enteredByUser_ = reason != Qt::OtherFocusReason && reason != Qt::ActiveWindowFocusReason;
    departureAnnounced_ = false;
    QListView::focusInEvent(event);
    // Qt announces the list alone; a screen reader should also hear the row it is on. Qt's own
    // focus event for the list follows this one, so the row's is sent once it has gone.
    QTimer::singleShot(0, this, [this] {
        if (hasFocus() && currentIndex().isValid()) announceCurrent();
    });
}

void MessageListView::rememberCurrent() {
    const QModelIndex current = currentIndex();
    const MIDIMessage* message = current.isValid() ? model_->messageAt(current.row()) : nullptr;
    hasCurrent_ = message != nullptr;
    if (!message) return;
    currentMessage_ = message->id;
    currentSequence_ = message->sequenceNumber;
}

// The row of the current message, or when it left, the first row after it: the oldest remaining
// one when the buffer dropped it, its next visible neighbour when it was hidden. Rows are in
// arrival order.
int MessageListView::rowOfCurrentMessage() const {
    int low = 0;
    int high = model_->rowCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const MIDIMessage* message = model_->messageAt(middle);
        if (message && message->sequenceNumber < currentSequence_)
            low = middle + 1;
        else
            high = middle;
    }
    return std::min(low, model_->rowCount() - 1);
}

// After each applied frame: the current row follows the newest, stays on its message, or moves
// on from a message that left; a screen reader in the list hears of a move before the item it
// was on goes.
void MessageListView::settleCurrentRow() {
    const int rows = model_->rowCount();
    const QModelIndex current = currentIndex();
    // An emptied list starts over: what arrives next is followed again.
    if (rows == 0) userMoved_ = false;
    const bool holds = holdsCurrentRow();
    int target = -1;
    if (rows > 0) {
        const MIDIMessage* shown = current.isValid() ? model_->messageAt(current.row()) : nullptr;
        if (!holds || !hasCurrent_)
            target = rows - 1;
        else if (shown && shown->id == currentMessage_)
            target = current.row();
        else
            target = rowOfCurrentMessage();
    }
    if (target >= 0 && current.row() != target) {
        keepingCurrentRow_ = true;
        selectionModel()->setCurrentIndex(model_->index(target, 0), QItemSelectionModel::NoUpdate);
        keepingCurrentRow_ = false;
    }
    const MIDIMessage* now = target >= 0 ? model_->messageAt(target) : nullptr;
    const bool moved = (now != nullptr) != hasCurrent_ || (now && now->id != currentMessage_);

    if (!moved && heldTop_ && target == current.row()) {
        // Rows above left: the view moves with them, so the current row stays where it was.
        executeDelayedItemsLayout();
        const int shift = visualRect(currentIndex()).top() - *heldTop_;
        if (shift != 0) verticalScrollBar()->setValue(verticalScrollBar()->value() + shift);
    } else if (hasHeldFocus() && target >= 0 && (moved || target != current.row())) {
        scrollTo(currentIndex());
    }
    heldTop_.reset();
    const bool quiet = std::exchange(movingQuietly_, false) && moved && target >= 0;
    if (quiet && carried_)
        carryFocusedItem(target);
    else if (carried_)
        leaving_.push_back(std::exchange(carried_, 0));
    if (moved && hasHeldFocus() && !quiet) {
        requestAnnouncement();
        departureAnnounced_ = true;
    } else if (!announceTimer_->isActive()) {
        destroyLeaving();
    }
    rememberCurrent();
}

// Once the screen reader was told where a departure put it, and nothing it would still hear is on
// its way, it is not told again every time the front of the buffer goes: that would be about once
// a second for as long as the user stays, and it would fall behind the keys.
bool MessageListView::movesQuietly() const {
    return departureAnnounced_ && hasHeldFocus() && !announceTimer_->isActive() && leaving_.empty();
}

// The item the screen reader is on now shows the new current row; the one made for that row, if
// any, goes instead.
void MessageListView::carryFocusedItem(int row) {
    const QAccessible::Id id = std::exchange(carried_, 0);
    QAccessibleInterface* item = QAccessible::accessibleInterface(id);
    if (!item) return;
    rows_.resize(static_cast<std::size_t>(model_->rowCount()));
    RowSlot& slot = rows_[static_cast<std::size_t>(row)];
    if (slot.id) QAccessible::deleteAccessibleInterface(slot.id);
    moveRowAccessible(item, model_->index(row, 0));
    const MIDIMessage* message = model_->messageAt(row);
    slot = {id, message ? message->id : Identifier{}};
}

// While rows leave faster than a screen reader can read them (a burst through a full buffer, with
// the current row at the oldest), it hears where the focus is at most once a second; until then
// the items it may be on are kept.
void MessageListView::requestAnnouncement() {
    constexpr qint64 interval = 1000;
    const qint64 since = lastAnnouncement_.isValid() ? lastAnnouncement_.elapsed() : interval;
    if (since >= interval) {
        announceTimer_->stop();
        announceNow();
    } else if (!announceTimer_->isActive()) {
        announceTimer_->start(static_cast<int>(interval - since));
    }
}

void MessageListView::announceNow() {
    if (hasHeldFocus()) {
        announceCurrent();
        lastAnnouncement_.restart();
    }
    destroyLeaving();
}

void MessageListView::destroyLeaving() {
    for (const QAccessible::Id id : std::exchange(leaving_, {}))
        QAccessible::deleteAccessibleInterface(id);
}

void MessageListView::announceCurrent() {
    const int child = currentIndex().isValid() ? currentIndex().row() : -1;
    emit accessibleFocusMoved(child);
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(child);
    QAccessible::updateAccessibility(&focus);
}

QAccessibleInterface* MessageListView::rowAccessible(int row) {
    if (row < 0 || row >= model_->rowCount()) return nullptr;
    rows_.resize(static_cast<std::size_t>(model_->rowCount()));
    RowSlot& slot = rows_[static_cast<std::size_t>(row)];
    if (QAccessibleInterface* existing =
            slot.id ? QAccessible::accessibleInterface(slot.id) : nullptr)
        return existing;
    QAccessibleInterface* created = makeRowAccessible(this, model_->index(row, 0));
    slot.id = QAccessible::registerAccessibleInterface(created);
    const MIDIMessage* message = model_->messageAt(row);
    slot.message = message ? message->id : Identifier{};
    return created;
}

std::size_t MessageListView::liveRowAccessibleCount() const {
    return static_cast<std::size_t>(std::count_if(
        rows_.begin(), rows_.end(), [](const RowSlot& slot) { return slot.id != 0; }));
}

// Items of rows that leave are destroyed once the frame is settled, after the focus moved off
// them.
void MessageListView::destroyLater(QAccessible::Id id) {
    if (model_->isApplying())
        leaving_.push_back(id);
    else
        QAccessible::deleteAccessibleInterface(id);
}

void MessageListView::forgetRowAccessibles(int first, int last) {
    const int size = static_cast<int>(rows_.size());
    first = std::max(first, 0);
    last = std::min(last, size - 1);
    for (int row = first; row <= last; ++row) {
        RowSlot& slot = rows_[static_cast<std::size_t>(row)];
        if (slot.id) destroyLater(slot.id);
        slot = {};
    }
}

// A rebuilt list shows many of the same messages: their items live on at their new rows.
void MessageListView::keepRowAccessiblesOverReset() {
    std::vector<RowSlot> live;
    for (const RowSlot& slot : rows_)
        if (slot.id) live.push_back(slot);
    const int rows = model_->rowCount();
    rows_.assign(static_cast<std::size_t>(rows), {});
    std::unordered_map<std::uint64_t, std::size_t> byMessage;
    for (std::size_t i = 0; i < live.size(); ++i)
        byMessage.emplace(live[i].message.low, i);
    for (int row = 0; row < rows && !byMessage.empty(); ++row) {
        const MIDIMessage* message = model_->messageAt(row);
        const auto found = message ? byMessage.find(message->id.low) : byMessage.end();
        if (found == byMessage.end()) continue;
        RowSlot& slot = live[found->second];
        byMessage.erase(found);
        if (slot.message != message->id) continue;
        if (QAccessibleInterface* item = QAccessible::accessibleInterface(slot.id)) {
            moveRowAccessible(item, model_->index(row, 0));
            rows_[static_cast<std::size_t>(row)] = slot;
            slot.id = 0;
        }
    }
    for (const RowSlot& slot : live)
        if (slot.id) destroyLater(slot.id);
}

void MessageListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    if (start <= static_cast<int>(rows_.size()))
        rows_.insert(rows_.begin() + start, static_cast<std::size_t>(end - start + 1), RowSlot{});
    QListView::rowsInserted(parent, start, end);
}

void MessageListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    const QModelIndex current = currentIndex();
    if (hasHeldFocus() && current.isValid() && (current.row() < start || current.row() > end))
        heldTop_ = visualRect(current).top();
    if (start == 0 && current.isValid() && current.row() <= end && movesQuietly()) {
        movingQuietly_ = true;
        const auto focusedRow = static_cast<std::size_t>(current.row());
        if (focusedRow < rows_.size()) carried_ = std::exchange(rows_[focusedRow].id, 0);
    }
    QListView::rowsAboutToBeRemoved(parent, start, end);
    forgetRowAccessibles(start, end);
}

void MessageListView::reset() {
    keepRowAccessiblesOverReset();
    QListView::reset();
}

} // namespace umbrascope
