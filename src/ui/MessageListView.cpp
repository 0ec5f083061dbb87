#include "ui/MessageListView.hpp"

#include <QKeyEvent>
#include <QPropertyAnimation>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
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
    setSelectionMode(QAbstractItemView::NoSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(false);
    setResizeMode(QListView::Adjust);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setMouseTracking(false);
    setFrameShape(QFrame::NoFrame);
    connect(model_, &MessageListModel::changesApplied, this, &MessageListView::keepCurrentRow);
    // Slots of removed rows go once the rows are gone, so that rows are numbered as the model
    // numbers them while it removes them.
    connect(model_, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex&, int start, int end) {
                const int size = static_cast<int>(rowIds_.size());
                if (start >= size) return;
                rowIds_.erase(rowIds_.begin() + start, rowIds_.begin() + std::min(end + 1, size));
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
    forgetRowAccessibles(0, static_cast<int>(rowIds_.size()) - 1);
}

void MessageListView::setEndElementHeight(int height) {
    if (height == endHeight_) return;
    endHeight_ = height;
    updateGeometries();
}

void MessageListView::scrollToEnd(bool animated) {
    if (scrollAnimation_) scrollAnimation_->stop();
    // Rows reported this frame are laid out first, so that the end really is the end.
    model_->flush();
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
    bar->setRange(0, maximum);
    bar->setPageStep(viewport()->height());
    if (wasAtEnd && !animating) bar->setValue(maximum);
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
    if (activates && modifiers == Qt::NoModifier && currentIndex().isValid()) {
        emit moreRequested(currentIndex().row());
        event->accept();
        return;
    }
    QListView::keyPressEvent(event);
}

void MessageListView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    if (model_->isApplying() || keepingCurrentRow_) {
        // The current row left, and another took its place: neither a jump to it nor a focus
        // event for the screen reader, which would come every frame of a burst.
        update(previous);
        update(current);
        return;
    }
    followsNewest_ = current.isValid() && current.row() == model_->rowCount() - 1;
    QListView::currentChanged(current, previous);
}

void MessageListView::focusInEvent(QFocusEvent* event) {
    QListView::focusInEvent(event);
    // Qt announces the list alone; a screen reader should also hear the row it is on. Qt's own
    // focus event for the list follows this one, so the row's is sent once it has gone.
    QTimer::singleShot(0, this, [this] {
        const QModelIndex current = currentIndex();
        if (!hasFocus() || !current.isValid() || !QAccessible::isActive()) return;
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current.row());
        QAccessible::updateAccessibility(&focus);
    });
}

// The current row is the newest until the user moves it elsewhere, so that entering the list
// reads, and Enter inspects, what just arrived rather than a row about to be dropped.
void MessageListView::keepCurrentRow() {
    const int rows = model_->rowCount();
    const QModelIndex current = currentIndex();
    // An emptied list starts over: what arrives next is followed again.
    if (!current.isValid()) followsNewest_ = true;
    if (rows == 0 || (current.isValid() && (!followsNewest_ || current.row() == rows - 1))) return;
    keepingCurrentRow_ = true;
    selectionModel()->setCurrentIndex(model_->index(rows - 1, 0), QItemSelectionModel::NoUpdate);
    keepingCurrentRow_ = false;
}

QAccessibleInterface* MessageListView::rowAccessible(int row) {
    if (row < 0 || row >= model_->rowCount()) return nullptr;
    rowIds_.resize(static_cast<std::size_t>(model_->rowCount()), 0);
    QAccessible::Id& id = rowIds_[static_cast<std::size_t>(row)];
    if (QAccessibleInterface* existing = id ? QAccessible::accessibleInterface(id) : nullptr)
        return existing;
    QAccessibleInterface* created = makeRowAccessible(this, model_->index(row, 0));
    id = QAccessible::registerAccessibleInterface(created);
    return created;
}

std::size_t MessageListView::liveRowAccessibleCount() const {
    return static_cast<std::size_t>(
        std::count_if(rowIds_.begin(), rowIds_.end(), [](QAccessible::Id id) { return id != 0; }));
}

void MessageListView::forgetRowAccessibles(int first, int last) {
    const int size = static_cast<int>(rowIds_.size());
    first = std::max(first, 0);
    last = std::min(last, size - 1);
    if (first > last) return;
    for (int row = first; row <= last; ++row) {
        QAccessible::Id& id = rowIds_[static_cast<std::size_t>(row)];
        if (id) QAccessible::deleteAccessibleInterface(id);
        id = 0;
    }
}

void MessageListView::rowsInserted(const QModelIndex& parent, int start, int end) {
    if (start <= static_cast<int>(rowIds_.size()))
        rowIds_.insert(rowIds_.begin() + start, static_cast<std::size_t>(end - start + 1), 0);
    QListView::rowsInserted(parent, start, end);
}

void MessageListView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
    QListView::rowsAboutToBeRemoved(parent, start, end);
    forgetRowAccessibles(start, end);
}

void MessageListView::reset() {
    forgetRowAccessibles(0, static_cast<int>(rowIds_.size()) - 1);
    rowIds_.clear();
    QListView::reset();
}

} // namespace umbrascope
