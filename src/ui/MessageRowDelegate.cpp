#include "ui/MessageRowDelegate.hpp"

#include <QAbstractItemView>
#include <QApplication>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>

#include "ui/MessageListModel.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {

struct MessageRowDelegate::Fonts {
    QFont body;
    QFont mono;
    QFont classLine;
    QFont sourceLine;
    QFont button;
};

namespace {

constexpr int lineGap = 1;
constexpr int dividerHeight = 1;

int textHeight(const QString& text, const QFont& font, int width) {
    const QFontMetrics metrics(font);
    if (metrics.horizontalAdvance(text) <= width) return metrics.height();
    return metrics
        .boundingRect(QRect(0, 0, width, 1 << 20), Qt::TextWrapAnywhere | Qt::TextWordWrap, text)
        .height();
}

QString hexText(const MIDIMessage& message) {
    return QString::fromStdString(hexString(message));
}

QString className(const MIDIMessage& message) {
    const std::string_view name = displayName(message.messageType);
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

} // namespace

MessageRowDelegate::MessageRowDelegate(QWidget* view) : QStyledItemDelegate(view), view_(view) {}

MessageRowDelegate::~MessageRowDelegate() = default;

const MessageRowDelegate::Fonts& MessageRowDelegate::fonts() const {
    if (fonts_) return *fonts_;
    fonts_ = std::make_unique<Fonts>();
    Fonts& f = *fonts_;
    f.body = view_->font();
    f.mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    f.mono.setPointSizeF(f.body.pointSizeF());
    f.classLine = f.body;
    f.classLine.setPointSize(9);
    f.classLine.setBold(true);
    f.sourceLine = f.body;
    f.sourceLine.setPointSize(9);
    f.button = f.body;
    f.button.setPointSizeF(std::max(7.0, f.body.pointSizeF() - 1));
    f.button.setWeight(QFont::DemiBold);
    return f;
}

int MessageRowDelegate::descriptionWidth(int rowWidth) const {
    const int left = moreColumnWidth + hexColumnWidth + columnSpacing;
    return std::max(40, rowWidth - left - columnSpacing - timeColumnWidth - horizontalPadding);
}

QRect MessageRowDelegate::moreButtonRect(const QRect& rowRect) const {
    const QFontMetrics metrics(fonts().button);
    return {rowRect.left() + horizontalPadding, rowRect.top() + verticalPadding + 1,
            moreButtonWidth, metrics.height() + 8};
}

// The hex words in a monospaced font: their height follows from their count alone.
int MessageRowDelegate::hexBlockHeight(const MIDIMessage& message) const {
    const std::size_t words = std::min<std::size_t>(message.words.span().size(), 4);
    int& height = hexHeights_[words];
    if (height == 0) height = textHeight(hexText(message), fonts().mono, hexColumnWidth);
    return height;
}

int MessageRowDelegate::sourceLineHeight(const MIDIMessage& message, int width) const {
    const std::string* name = message.sourceNameStorage.get();
    if (const auto found = sourceHeights_.find(name); found != sourceHeights_.end())
        return found->second.second;
    const int height = textHeight(QString::fromStdString(message.sourceName()), fonts().sourceLine,
                                  descriptionWidth(width));
    if (name) sourceHeights_[name] = {message.sourceNameStorage, height};
    return height;
}

int MessageRowDelegate::rowHeight(const MIDIMessage& message, int width) const {
    const Fonts& f = fonts();
    const int button = 1 + QFontMetrics(f.button).height() + 8;
    const int hex = hexBlockHeight(message) + lineGap + QFontMetrics(f.classLine).height();
    const int description =
        textHeight(QString::fromStdString(message.description), f.body, descriptionWidth(width)) +
        lineGap + sourceLineHeight(message, width);
    return 2 * verticalPadding + std::max({button, hex, description}) + dividerHeight;
}

int MessageRowDelegate::estimatedHeight(const MIDIMessage& message, int width) const {
    const Fonts& f = fonts();
    const int button = 1 + QFontMetrics(f.button).height() + 8;
    const int hex = hexBlockHeight(message) + lineGap + QFontMetrics(f.classLine).height();
    const int description =
        QFontMetrics(f.body).height() + lineGap + sourceLineHeight(message, width);
    return 2 * verticalPadding + std::max({button, hex, description}) + dividerHeight;
}

std::optional<int> MessageRowDelegate::measuredHeight(const MIDIMessage& message, int width) const {
    if (width != cachedWidth_) {
        heights_.clear();
        oldHeights_.clear();
        sourceHeights_.clear();
        cachedWidth_ = width;
    }
    const Key key{static_cast<quint64>(message.id.high), static_cast<quint64>(message.id.low)};
    if (const auto found = heights_.constFind(key); found != heights_.constEnd())
        return found.value();
    const auto old = oldHeights_.constFind(key);
    if (old == oldHeights_.constEnd()) return std::nullopt;
    const int height = old.value();
    if (heights_.size() >= 8192) {
        oldHeights_ = std::move(heights_);
        heights_.clear();
    }
    heights_.insert(key, height);
    return height;
}

QSize MessageRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const auto* model = qobject_cast<const MessageListModel*>(index.model());
    const MIDIMessage* message = model ? model->messageAt(index.row()) : nullptr;
    const auto* view = qobject_cast<const QAbstractItemView*>(view_);
    const int width = view ? view->viewport()->width() : view_->width();
    if (!message) return {width, 2 * verticalPadding + dividerHeight};
    if (const auto height = measuredHeight(*message, width)) return {width, *height};
    return {width, estimatedHeight(*message, width)};
}

void MessageRowDelegate::invalidateSizes() const {
    heights_.clear();
    oldHeights_.clear();
    hexHeights_.fill(0);
    sourceHeights_.clear();
    fonts_.reset();
    cachedWidth_ = -1;
}

// A row painted for the first time is measured; when it is not as tall as estimated, the list
// lays itself out again (later: never while painting).
void MessageRowDelegate::measure(const MIDIMessage& message, const QModelIndex& index, int width,
                                 int paintedHeight) const {
    if (measuredHeight(message, width)) return;
    const int height = rowHeight(message, width);
    if (heights_.size() >= 8192) {
        oldHeights_ = std::move(heights_);
        heights_.clear();
    }
    heights_.insert(
        Key{static_cast<quint64>(message.id.high), static_cast<quint64>(message.id.low)}, height);
    if (height != paintedHeight)
        QMetaObject::invokeMethod(
            const_cast<MessageRowDelegate*>(this),
            [self = QPointer(const_cast<MessageRowDelegate*>(this)),
             row = QPersistentModelIndex(index)] {
                if (self && row.isValid()) emit self->sizeHintChanged(row);
            },
            Qt::QueuedConnection);
}

void MessageRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const auto* model = qobject_cast<const MessageListModel*>(index.model());
    const MIDIMessage* message = model ? model->messageAt(index.row()) : nullptr;
    if (!message) return;
    const TypePalette& colors = currentTypePalette();
    const Fonts& f = fonts();
    const QRect row = option.rect;
    painter->save();

    // Tints, not the highlight itself: the row's text keeps its own colours and contrast.
    if (option.state & (QStyle::State_HasFocus | QStyle::State_Selected)) {
        QColor highlight = option.palette.color(QPalette::Highlight);
        highlight.setAlphaF((option.state & QStyle::State_Selected) ? 0.28f : 0.12f);
        painter->fillRect(row, highlight);
    }

    QStyleOptionButton button;
    button.rect = moreButtonRect(row);
    button.text = QStringLiteral("More");
    button.state = QStyle::State_Enabled | QStyle::State_Raised;
    if (pressed_.isValid() && pressed_ == index) button.state |= QStyle::State_Sunken;
    button.palette = option.palette;
    button.fontMetrics = QFontMetrics(f.button);
    QStyle* style = view_->style();
    painter->setFont(f.button);
    style->drawControl(QStyle::CE_PushButton, &button, painter, view_);

    const QColor color = typeColor(message->messageType, colors);
    const int top = row.top() + verticalPadding;
    const int hexLeft = row.left() + moreColumnWidth;
    const QString hex = hexText(*message);
    const int hexHeight = textHeight(hex, f.mono, hexColumnWidth);
    painter->setFont(f.mono);
    painter->setPen(color);
    painter->drawText(QRect(hexLeft, top, hexColumnWidth, hexHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, hex);
    QColor faded = color;
    faded.setAlphaF(0.8f);
    painter->setFont(f.classLine);
    painter->setPen(faded);
    painter->drawText(QRect(hexLeft, top + hexHeight + lineGap, hexColumnWidth,
                            QFontMetrics(f.classLine).height()),
                      Qt::AlignLeft | Qt::AlignTop, className(*message));

    const int textLeft = hexLeft + hexColumnWidth + columnSpacing;
    const int textWidth = descriptionWidth(row.width());
    const QString description = QString::fromStdString(message->description);
    const int descriptionHeight = textHeight(description, f.body, textWidth);
    painter->setFont(f.body);
    painter->setPen(option.palette.color(QPalette::Text));
    painter->drawText(QRect(textLeft, top, textWidth, descriptionHeight),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere,
                      description);
    const QString source = QString::fromStdString(message->sourceName());
    painter->setFont(f.sourceLine);
    painter->setPen(colors.secondaryText);
    painter->drawText(QRect(textLeft, top + descriptionHeight + lineGap, textWidth,
                            textHeight(source, f.sourceLine, textWidth)),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextWrapAnywhere,
                      source);

    // One line in the monospaced font: the time needs no measuring.
    const QString time = index.data(MessageListModel::TimeRole).toString();
    painter->setFont(f.mono);
    painter->setPen(colors.secondaryText);
    painter->drawText(QRect(row.right() - horizontalPadding - timeColumnWidth + 1, top,
                            timeColumnWidth, QFontMetrics(f.mono).height()),
                      Qt::AlignRight | Qt::AlignTop, time);

    painter->setPen(option.palette.color(QPalette::Mid));
    painter->drawLine(row.left(), row.bottom(), row.right(), row.bottom());
    painter->restore();
    measure(*message, index, row.width(), row.height());
}

bool MessageRowDelegate::editorEvent(QEvent* event, QAbstractItemModel*,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return false;
    const bool onButton = moreButtonRect(option.rect).contains(mouse->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        pressed_ = onButton ? index : QModelIndex();
        return false;
    }
    const bool clicked = onButton && pressed_ == index;
    pressed_ = QModelIndex();
    if (clicked) emit moreClicked(index);
    return clicked;
}

} // namespace umbrascope
