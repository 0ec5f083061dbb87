#pragma once

#include <QAccessibleInterface>
#include <QAccessibleWidget>
#include <QModelIndex>

class QFrame;
class QLabel;
class QScrollBar;

namespace umbrascope {

class MessageListView;

// Our own accessible interfaces where Qt's defaults do not serve: the message list (Qt 6.4's
// item-view interface faults without a current item and hands out null cells), its rows (one
// item each, combining the row's texts, with a press action for "More"), text blocks read as one
// element, the narration level group, and pickers (combo boxes) that read their entry; with
// the sheets' own (SheetAccessibles), all made by one factory. Installs it once; main thread
// only.
void installAccessibleViews();

// A widget whose every change a screen reader need not hear (its events would flood it): a
// label read by its current text, a scroll bar without a value. Call before the widget is shown,
// after installAccessibleViews().
void makeQuiet(QScrollBar* bar);
void makeQuiet(QLabel* label);

// A widget read as one element: it paints all of its texts itself, and no child of it is exposed.
class ChildlessAccessible : public QAccessibleWidget {
public:
    ChildlessAccessible(QWidget* widget, QAccessible::Role role)
        : QAccessibleWidget(widget, role) {}
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
};

// A control's value given to screen readers as read-only text without a caret: Qt 6.4 passes no
// value text of its own, and screen readers read a picker's or spin box's text as its value.
class ReadOnlyAccessibleText : public QAccessibleTextInterface {
public:
    virtual QString shownText() const = 0;

    QString text(int start, int end) const override { return shownText().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(shownText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }
};

// A rule between rows: a separator, which screen readers pass over, where Qt would expose an
// unnamed frame that they read out. Call right after making the frame.
void markAsSeparator(QFrame* rule);

// The accessible item of one row; the list view registers and owns it.
QAccessibleInterface* makeRowAccessible(MessageListView* view, const QModelIndex& index);
// Points a row's item at the row that shows its message after the rows were rebuilt, so that a
// screen reader holding it keeps a live object.
void moveRowAccessible(QAccessibleInterface* row, const QModelIndex& index);

} // namespace umbrascope
