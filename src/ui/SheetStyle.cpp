#include "ui/SheetStyle.hpp"

#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <algorithm>

#include "ui/AccessibleViews.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope::sheet {

QFont sizedFont(const QFont& body, double delta, bool bold) {
    QFont font = body;
    font.setPointSizeF(std::max(7.0, body.pointSizeF() + delta));
    font.setBold(bold);
    return font;
}

QFont headlineFont(const QFont& body) {
    return sizedFont(body, 1, true);
}

QFont captionFont(const QFont& body) {
    return sizedFont(body, -1);
}

QFont caption2Font(const QFont& body) {
    return sizedFont(body, -2);
}

QFont monospacedFont(const QFont& body, double delta) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(std::max(7.0, body.pointSizeF() + delta));
    return font;
}

QColor secondaryColor() {
    return currentTypePalette().secondaryText;
}

QFrame* divider(QWidget* parent) {
    installAccessibleViews();
    auto* line = new QFrame(parent);
    markAsSeparator(line);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setFixedHeight(1);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

QLabel* secondaryLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, secondaryColor());
    label->setPalette(palette);
    return label;
}

} // namespace umbrascope::sheet
