#include "ui/AccessibleViews.hpp"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLoggingCategory>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QScrollBar>
#include <QWindow>

#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/NarrationLevelSelector.hpp"
#include "ui/TextBlock.hpp"

namespace umbrascope {

namespace {

constexpr const char* quietProperty = "umbrascopeQuiet";
constexpr const char* separatorProperty = "umbrascopeSeparator";

const QString moreHint = QStringLiteral(
    "Shows a field-by-field breakdown of this message, with a Read More Aloud button");

class RowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    RowAccessible(MessageListView* view, const QModelIndex& index) : view_(view), index_(index) {}

    bool isValid() const override { return view_ && index_.isValid(); }
    int row() const { return index_.row(); }
    void moveTo(const QModelIndex& index) { index_ = index; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) return {};
        if (t == QAccessible::Name) return index_.data(Qt::AccessibleTextRole).toString();
        if (t == QAccessible::Description) return moreHint;
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) return {};
        const QRect local = view_->visualRect(index_);
        return {view_->viewport()->mapToGlobal(local.topLeft()), local.size()};
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.focusable = true;
        const bool current = view_->currentIndex() == index_;
        state.focused = current && view_->hasFocus();
        state.active = current;
        // Only a row selected for copying says so: a list that claimed every row selectable
        // would have a screen reader add "not selected" to each row it reads.
        state.selected = view_->selectionModel()->isRowSelected(index_.row(), QModelIndex());
        state.selectable = state.selected;
        if (!view_->viewport()->rect().intersects(view_->visualRect(index_)))
            state.offscreen = true;
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    QString localizedActionDescription(const QString&) const override { return moreHint; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) emit view_->moreRequested(index_.row());
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        return name == pressAction()
                   ? QStringList{QStringLiteral("Return"), QStringLiteral("Space")}
                   : QStringList{};
    }

private:
    QPointer<MessageListView> view_;
    QPersistentModelIndex index_;
};

// The list exposes its rows only, never a null child, and a focus child only while there is a
// current row.
class ListAccessible final : public QAccessibleWidget {
public:
    explicit ListAccessible(MessageListView* view) : QAccessibleWidget(view, QAccessible::List) {}

    MessageListView* view() const { return static_cast<MessageListView*>(widget()); }

    int childCount() const override { return view()->model()->rowCount(); }
    QAccessibleInterface* child(int index) const override { return view()->rowAccessible(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* row = dynamic_cast<const RowAccessible*>(child);
        return row && row->isValid() && row->parent() == this ? row->row() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QPoint local = view()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = view()->indexAt(local);
        return index.isValid() ? view()->rowAccessible(index.row()) : nullptr;
    }
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = view()->currentIndex();
        return current.isValid() ? view()->rowAccessible(current.row()) : nullptr;
    }
};

// A closed picker (a combo box that is not editable). Qt 6.4 gives it no text and no selection,
// so a screen reader finds no value and reads only its label ("Voice combo box"). Here its
// current entry is also its text, which screen readers read as the value. The open list is a
// window of its own, whose items take the focus.
class PickerAccessible final : public ChildlessAccessible, public ReadOnlyAccessibleText {
public:
    explicit PickerAccessible(QComboBox* box) : ChildlessAccessible(box, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        // Only for ours, which are named: Qt's own dialogs name theirs by the entry alone, which
        // would then be read twice. Asked at every use, as the name may be given after this
        // interface was made.
        if (type == QAccessible::TextInterface)
            return box()->accessibleName().isEmpty() ? nullptr
                                                     : static_cast<QAccessibleTextInterface*>(this);
        return ChildlessAccessible::interface_cast(type);
    }
    QString text(QAccessible::Text kind) const override {
        // As Qt names pickers on Linux: by the entry; the label comes by the buddy relation.
        if (kind == QAccessible::Name || kind == QAccessible::Value) return shownText();
        return QAccessibleWidget::text(kind);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.expandable = true;
        state.expanded = box()->view()->isVisible();
        return state;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction()) box()->showPopup();
    }
    QString shownText() const override { return box()->currentText(); }

private:
    QComboBox* box() const { return static_cast<QComboBox*>(widget()); }
};

// Widgets whose changes a screen reader need not hear: the list's scroll bar moves and the
// message count changes with every arrival. Qt announces each change, and a stream of them
// keeps a screen reader busy and late with what the user does. Both are still read when
// reviewed: the count by its current text, the scroll bar without a value.
class QuietAccessible final : public QAccessibleWidget {
public:
    QuietAccessible(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}
    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Name)
            if (auto* label = qobject_cast<QLabel*>(widget())) return label->text();
        return QAccessibleWidget::text(kind);
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (className == QLatin1String("QFrame") && object->property(separatorProperty).toBool())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
    if (object->property(quietProperty).toBool()) {
        if (className == QLatin1String("QScrollBar"))
            return new QuietAccessible(static_cast<QWidget*>(object), QAccessible::ScrollBar);
        if (className == QLatin1String("QLabel"))
            return new QuietAccessible(static_cast<QWidget*>(object), QAccessible::StaticText);
    }
    if (className == QLatin1String("QComboBox")) {
        auto* box = qobject_cast<QComboBox*>(object);
        if (box && !box->isEditable()) return new PickerAccessible(box);
    }
    if (className == QLatin1String(MessageListView::staticMetaObject.className())) {
        if (auto* view = qobject_cast<MessageListView*>(object)) return new ListAccessible(view);
    }
    if (className == QLatin1String(TextBlock::staticMetaObject.className())) {
        if (auto* block = qobject_cast<TextBlock*>(object))
            return new ChildlessAccessible(block, QAccessible::StaticText);
    }
    if (className == QLatin1String(NarrationLevelSelector::staticMetaObject.className())) {
        if (auto* selector = qobject_cast<NarrationLevelSelector*>(object))
            return new QAccessibleWidget(selector, QAccessible::Grouping);
    }
    return nullptr;
}

// The bridge warns of every value change of a control without a value, once per arrival for the
// quiet scroll bar. Its warnings are for Qt's developers; QT_LOGGING_RULES still shows them.
QLoggingCategory::CategoryFilter defaultLogFilter = nullptr;

void withoutBridgeWarnings(QLoggingCategory* category) {
    if (defaultLogFilter) defaultLogFilter(category);
    if (qstrcmp(category->categoryName(), "qt.accessibility.atspi") == 0)
        category->setEnabled(QtWarningMsg, false);
}

} // namespace

void markAsSeparator(QFrame* rule) {
    rule->setProperty(separatorProperty, true);
}

void makeQuiet(QScrollBar* bar) {
    bar->setProperty(quietProperty, true);
}

void makeQuiet(QLabel* label) {
    label->setProperty(quietProperty, true);
    // QLabel announces a new text only while it has no accessible name of its own; the one given
    // here is never read, its text is.
    label->setAccessibleName(QStringLiteral("quiet"));
}

void installAccessibleViews() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        if (!qEnvironmentVariableIsSet("QT_LOGGING_RULES"))
            defaultLogFilter = QLoggingCategory::installFilter(withoutBridgeWarnings);
        return true;
    }();
    (void)installed;
}

QAccessibleInterface* makeRowAccessible(MessageListView* view, const QModelIndex& index) {
    return new RowAccessible(view, index);
}

void moveRowAccessible(QAccessibleInterface* row, const QModelIndex& index) {
    if (auto* item = dynamic_cast<RowAccessible*>(row)) item->moveTo(index);
}

} // namespace umbrascope
