#pragma once

#include <QWidget>

#include "breakdown/FieldRow.hpp"
#include "model/UMPMessageType.hpp"

namespace umbrascope {

// One row of a field breakdown: its hex digits, its bit count and its label in columns, indented
// by its depth (0 for a row, 1 for a sub-row). The label wraps. It is one focus stop and one
// element for screen readers, named by its texts together; the arrows move between the rows.
// Main thread only.
class FieldRowView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int indentPerDepth = 20;
    static constexpr int columnSpacing = 12;
    static constexpr int hexMinimumWidth = 60; // rows at depth 0
    static constexpr int bitsMinimumWidth = 42;
    static constexpr int horizontalPadding = 16;
    static constexpr int minimumLabelWidth = 40;

    FieldRowView(const FieldRow& row, int depth, UMPMessageType type, QWidget* parent = nullptr);

    int depth() const { return depth_; }
    const QString& hexText() const { return hex_; }
    // The texts joined by ", ", empty ones left out.
    QString combinedText() const;

    // The width the hex digits ask for: at depth 0 never less than hexMinimumWidth.
    int naturalHexWidth() const;
    // The rows of one breakdown share their hex column, so that their labels line up.
    void setHexColumnWidth(int width);

    struct Columns {
        QRect hex;
        QRect bits;
        QRect label;
    };
    // Where the texts go at a given row width (the label's height is its wrapped height).
    Columns columns(int width) const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Up and Down move to the row before and after, as in a list.
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int verticalPadding() const { return depth_ == 0 ? 6 : 3; }
    QFont hexFont() const;
    QFont bitsFont() const;
    QFont labelFont() const;
    int labelLeft() const;
    int labelHeight(int width) const;
    void drawLabel(QPainter& painter, const QRect& area) const;

    int depth_;
    UMPMessageType type_;
    QString hex_;
    QString bits_;
    QString label_;
    int hexColumnWidth_ = 0;
    // The label's height at the width it was last laid out for.
    mutable int measuredWidth_ = -1;
    mutable int measuredHeight_ = 0;
};

// The column that holds a breakdown's rows: screen readers read it as a list of them.
class FieldList final : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

} // namespace umbrascope
