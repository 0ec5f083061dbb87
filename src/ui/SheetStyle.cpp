#include "ui/SheetStyle.hpp"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <algorithm>

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

namespace {

const QString dividerName = QStringLiteral("divider");

// Qt shows a plain frame to screen readers as an unnamed frame, which they read out; a rule is a
// separator, which they pass over.
QAccessibleInterface* dividerAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String("QFrame") || object->objectName() != dividerName) return nullptr;
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Separator);
}

} // namespace

QFrame* divider(QWidget* parent) {
    static const bool installed = [] {
        QAccessible::installFactory(dividerAccessible);
        return true;
    }();
    (void)installed;
    auto* line = new QFrame(parent);
    line->setObjectName(dividerName);
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
