#include "ui/FieldRowView.hpp"

#include <QAccessible>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QStringList>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "ui/KeyRouter.hpp"
#include "ui/QtText.hpp"
#include "ui/SheetStyle.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {

namespace {

QString bitCount(std::int64_t bits) {
    return QString::number(bits) + (bits == 1 ? QStringLiteral(" bit") : QStringLiteral(" bits"));
}

// Lays the label out in lines of `width`; a long label breaks between words, and inside a word
// only when one does not fit a line. Returns its height.
int layoutLabel(QTextLayout& layout, int width) {
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal y = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(std::max(1, width));
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout.endLayout();
    return static_cast<int>(std::ceil(y));
}

} // namespace

FieldRowView::FieldRowView(const FieldRow& row, int depth, UMPMessageType type, QWidget* parent)
    : QWidget(parent), depth_(depth), type_(type), hex_(toQString(row.hex)),
      bits_(bitCount(row.bits)), label_(toQString(row.label)) {
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    QSizePolicy policy = sizePolicy();
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(combinedText());
    setProperty(KeyRouter::usesArrowsProperty, true);
    hexColumnWidth_ = naturalHexWidth();
}

void FieldRowView::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Up ? -1 : event->key() == Qt::Key_Down ? 1 : 0;
    if (step == 0 || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    const QList<FieldRowView*> rows =
        parentWidget()->findChildren<FieldRowView*>(Qt::FindDirectChildrenOnly);
    const qsizetype next = rows.indexOf(this) + step;
    // At either end the key is spent, so it never turns the volume from a list.
    if (next >= 0 && next < rows.size()) rows[next]->setFocus(Qt::OtherFocusReason);
    event->accept();
}

QString FieldRowView::combinedText() const {
    QStringList parts;
    for (const QString* text : {&hex_, &bits_, &label_})
        if (!text->isEmpty()) parts << *text;
    return parts.join(QStringLiteral(", "));
}

QFont FieldRowView::hexFont() const {
    return sheet::monospacedFont(font());
}

QFont FieldRowView::bitsFont() const {
    return sheet::monospacedFont(font(), -2);
}

QFont FieldRowView::labelFont() const {
    return depth_ == 0 ? font() : sheet::sizedFont(font(), -1);
}

int FieldRowView::naturalHexWidth() const {
    const int text = hex_.isEmpty() ? 0 : QFontMetrics(hexFont()).horizontalAdvance(hex_);
    return depth_ == 0 ? std::max(hexMinimumWidth, text) : text;
}

void FieldRowView::setHexColumnWidth(int width) {
    const int column = std::max(width, naturalHexWidth());
    if (column == hexColumnWidth_) return;
    hexColumnWidth_ = column;
    updateGeometry();
    update();
}

int FieldRowView::labelLeft() const {
    const int hexLeft = horizontalPadding + depth_ * indentPerDepth;
    const int hexWidth = depth_ == 0 ? hexColumnWidth_ : naturalHexWidth();
    const int bitsWidth =
        std::max(bitsMinimumWidth, QFontMetrics(bitsFont()).horizontalAdvance(bits_));
    return hexLeft + hexWidth + columnSpacing + bitsWidth + columnSpacing;
}

FieldRowView::Columns FieldRowView::columns(int width) const {
    const QFontMetrics hexMetrics(hexFont());
    const QFontMetrics bitsMetrics(bitsFont());
    const QFontMetrics labelMetrics(labelFont());
    // The three texts share the first line's baseline.
    const int baseline = verticalPadding() + std::max({hexMetrics.ascent(), bitsMetrics.ascent(),
                                                       labelMetrics.ascent()});
    const int hexLeft = horizontalPadding + depth_ * indentPerDepth;
    const int hexWidth = depth_ == 0 ? hexColumnWidth_ : naturalHexWidth();
    const int bitsLeft = hexLeft + hexWidth + columnSpacing;
    const int bitsWidth = std::max(bitsMinimumWidth, bitsMetrics.horizontalAdvance(bits_));
    const int labelX = labelLeft();
    const int labelWidth = std::max(1, width - horizontalPadding - labelX);
    return {QRect(hexLeft, baseline - hexMetrics.ascent(), hexWidth, hexMetrics.height()),
            QRect(bitsLeft, baseline - bitsMetrics.ascent(), bitsWidth, bitsMetrics.height()),
            QRect(labelX, baseline - labelMetrics.ascent(), labelWidth, labelHeight(labelWidth))};
}

int FieldRowView::labelHeight(int width) const {
    if (width != measuredWidth_) {
        QTextLayout layout(label_, labelFont());
        measuredHeight_ = std::max(layoutLabel(layout, width), QFontMetrics(labelFont()).height());
        measuredWidth_ = width;
    }
    return measuredHeight_;
}

int FieldRowView::heightForWidth(int width) const {
    const Columns c = columns(width);
    const int bottom = std::max({c.hex.bottom(), c.bits.bottom(), c.label.bottom()}) + 1;
    return bottom + verticalPadding();
}

QSize FieldRowView::sizeHint() const {
    const int width =
        labelLeft() + QFontMetrics(labelFont()).horizontalAdvance(label_) + horizontalPadding;
    return {width, heightForWidth(width)};
}

QSize FieldRowView::minimumSizeHint() const {
    const int width = labelLeft() + horizontalPadding + minimumLabelWidth;
    return {width, heightForWidth(width)};
}

void FieldRowView::drawLabel(QPainter& painter, const QRect& area) const {
    QTextLayout layout(label_, labelFont());
    layoutLabel(layout, area.width());
    layout.draw(&painter, area.topLeft());
}

void FieldRowView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (hasFocus()) {
        QColor highlight = palette().color(QPalette::Highlight);
        painter.setPen(highlight);
        highlight.setAlpha(40);
        painter.setBrush(highlight);
        painter.drawRect(rect().adjusted(1, 1, -2, -2));
    }
    const Columns c = columns(width());
    const QColor secondary = sheet::secondaryColor();
    painter.setFont(hexFont());
    painter.setPen(depth_ == 0 ? typeColor(type_) : secondary);
    painter.drawText(c.hex, Qt::AlignLeft | Qt::AlignTop, hex_);
    painter.setFont(bitsFont());
    painter.setPen(secondary);
    painter.drawText(c.bits, Qt::AlignLeft | Qt::AlignTop, bits_);
    painter.setPen(palette().color(QPalette::WindowText));
    drawLabel(painter, c.label);
}

void FieldRowView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* area = qobject_cast<QScrollArea*>(w)) {
            area->ensureWidgetVisible(this, 0, 0);
            break;
        }
    update();
}

void FieldRowView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void FieldRowView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        measuredWidth_ = -1;
        hexColumnWidth_ = std::max(hexColumnWidth_, naturalHexWidth());
        updateGeometry();
    }
    QWidget::changeEvent(event);
}

} // namespace umbrascope
