#include "ui/LinkButton.hpp"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QPainter>

#include "ui/SheetStyle.hpp"

namespace umbrascope {

namespace {
const QString arrow = QStringLiteral("\u2197");
} // namespace

LinkButton::LinkButton(const QString& label, const QUrl& url, QWidget* parent)
    : QAbstractButton(parent), url_(url) {
    setText(label);
    setAccessibleName(label);
    setToolTip(url.toString());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    connect(this, &QAbstractButton::clicked, this, [this] { QDesktopServices::openUrl(url_); });
}

QFont LinkButton::labelFont() const {
    return sheet::captionFont(font());
}

QFont LinkButton::arrowFont() const {
    QFont small = font();
    small.setPointSize(10);
    return small;
}

QSize LinkButton::sizeHint() const {
    const QFontMetrics label(labelFont());
    const QFontMetrics arrowMetrics(arrowFont());
    return {label.horizontalAdvance(text()) + arrowSpacing + arrowMetrics.horizontalAdvance(arrow) +
                4,
            std::max(label.height(), arrowMetrics.height()) + 4};
}

void LinkButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor link = palette().color(QPalette::Link);
    painter.setPen(link);
    QFont labelStyle = labelFont();
    labelStyle.setUnderline(hasFocus() || underMouse());
    painter.setFont(labelStyle);
    const QRect area = rect().adjusted(2, 2, -2, -2);
    painter.drawText(area, Qt::AlignLeft | Qt::AlignVCenter, text());
    painter.setFont(arrowFont());
    const int arrowLeft =
        area.left() + QFontMetrics(labelFont()).horizontalAdvance(text()) + arrowSpacing;
    painter.drawText(QRect(arrowLeft, area.top(), area.right() - arrowLeft + 1, area.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, arrow);
    if (hasFocus()) {
        painter.setPen(QPen(link, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LinkButton::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        click();
        event->accept();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

} // namespace umbrascope
