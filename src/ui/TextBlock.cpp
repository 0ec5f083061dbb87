#include "ui/TextBlock.hpp"

#include <QAccessible>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <algorithm>

#include "ui/AccessibleViews.hpp"

namespace umbrascope {

namespace {
constexpr int badgePadding = 8;
} // namespace

TextBlock::TextBlock(QWidget* parent) : QWidget(parent) {
    installAccessibleViews();
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

void TextBlock::setLines(std::vector<Line> lines) {
    lines_ = std::move(lines);
    refresh();
}

QString TextBlock::combinedText() const {
    QStringList parts;
    for (const Line& line : lines_) {
        QStringList pieces;
        for (const Piece& piece : line.pieces)
            if (!piece.text.isEmpty()) pieces << piece.text;
        if (!pieces.isEmpty()) parts << pieces.join(QLatin1Char(' '));
    }
    return parts.join(QStringLiteral(", "));
}

void TextBlock::setLineSpacing(int pixels) {
    lineSpacing_ = pixels;
    refresh();
}

void TextBlock::setPieceSpacing(int pixels) {
    pieceSpacing_ = pixels;
    refresh();
}

void TextBlock::setCentered(bool centered) {
    centered_ = centered;
    update();
}

void TextBlock::setBadgeStyle(bool badge) {
    badge_ = badge;
    setAttribute(Qt::WA_TranslucentBackground, badge);
    refresh();
}

void TextBlock::refresh() {
    const QString name = combinedText();
    if (accessibleName() != name) setAccessibleName(name);
    updateGeometry();
    update();
}

int TextBlock::lineHeight(const Line& line) const {
    int height = 0;
    for (const Piece& piece : line.pieces)
        height = std::max(height, QFontMetrics(piece.font).height());
    return height;
}

int TextBlock::lineWidth(const Line& line) const {
    int width = 0;
    for (const Piece& piece : line.pieces) {
        if (width > 0) width += pieceSpacing_;
        width += QFontMetrics(piece.font).horizontalAdvance(piece.text);
    }
    return width;
}

QSize TextBlock::sizeHint() const {
    int width = 0;
    int height = 0;
    for (const Line& line : lines_) {
        width = std::max(width, lineWidth(line));
        height += lineHeight(line);
    }
    if (!lines_.empty()) height += lineSpacing_ * static_cast<int>(lines_.size() - 1);
    const int padding = badge_ ? 2 * badgePadding : 0;
    return {width + padding, height + padding};
}

QSize TextBlock::minimumSizeHint() const {
    QSize size = sizeHint();
    // Elided lines may shrink to nothing; the others keep their width.
    int width = 0;
    for (const Line& line : lines_)
        if (!line.elided) width = std::max(width, lineWidth(line));
    size.setWidth(width + (badge_ ? 2 * badgePadding : 0));
    return size;
}

void TextBlock::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QRect area = rect();
    if (badge_) {
        QColor background = palette().color(QPalette::Window);
        background.setAlphaF(0.85f);
        QPainterPath path;
        path.addRoundedRect(QRectF(area), 8, 8);
        painter.fillPath(path, background);
        area = area.adjusted(badgePadding, badgePadding, -badgePadding, -badgePadding);
    }
    int y = area.top();
    for (const Line& line : lines_) {
        const int height = lineHeight(line);
        const int width = std::min(lineWidth(line), area.width());
        int x = centered_ ? area.left() + (area.width() - width) / 2 : area.left();
        for (const Piece& piece : line.pieces) {
            const QFontMetrics metrics(piece.font);
            const int room = area.right() + 1 - x;
            if (room <= 0) break;
            const QString text =
                line.elided ? metrics.elidedText(piece.text, Qt::ElideRight, room) : piece.text;
            painter.setFont(piece.font);
            painter.setPen(piece.color.isValid() ? piece.color
                                                 : palette().color(QPalette::WindowText));
            const int advance = metrics.horizontalAdvance(text);
            painter.drawText(
                QRect(x, y + height - metrics.height(), std::min(advance, room), metrics.height()),
                Qt::AlignLeft | Qt::AlignVCenter, text);
            x += advance + pieceSpacing_;
        }
        y += height + lineSpacing_;
    }
}

} // namespace umbrascope
