#include "ui/MessageListModel.hpp"

#include <algorithm>
#include <limits>

namespace umbrascope {

MessageListModel::MessageListModel(QObject* parent)
    : QAbstractListModel(parent), coalescer_([this] { apply(); }, this) {}

void MessageListModel::setSource(const RowSource* source) {
    beginResetModel();
    source_ = source;
    shown_ = source ? source->rowCount() : 0;
    pendingFront_ = 0;
    pendingReset_ = false;
    endResetModel();
    emit changesApplied();
}

void MessageListModel::removedFromFront(std::size_t count) {
    if (count == 0) return;
    pendingFront_ += count;
    coalescer_.request();
}

void MessageListModel::appended(std::size_t count) {
    if (count == 0) return;
    coalescer_.request();
}

void MessageListModel::reset() {
    pendingReset_ = true;
    coalescer_.request();
}

void MessageListModel::flush() {
    coalescer_.flush();
}

void MessageListModel::apply() {
    applying_ = true;
    applyChanges();
    applying_ = false;
    emit changesApplied();
}

void MessageListModel::applyChanges() {
    const std::size_t total = source_ ? source_->rowCount() : 0;
    const std::size_t removed = std::min(pendingFront_, shown_);
    const std::size_t kept = shown_ - removed;
    constexpr auto maxRows = static_cast<std::size_t>(std::numeric_limits<int>::max());
    if (pendingReset_ || kept > total || total > maxRows) {
        // Reports that do not add up to the source are answered with a reset, never with rows
        // that point at the wrong messages.
        beginResetModel();
        shown_ = std::min(total, maxRows);
        pendingFront_ = 0;
        pendingReset_ = false;
        endResetModel();
        return;
    }
    if (removed > 0) {
        beginRemoveRows({}, 0, static_cast<int>(removed) - 1);
        shown_ = kept;
        pendingFront_ = 0;
        endRemoveRows();
    }
    pendingFront_ = 0;
    if (total > kept) {
        beginInsertRows({}, static_cast<int>(kept), static_cast<int>(total) - 1);
        shown_ = total;
        endInsertRows();
    }
}

const MIDIMessage* MessageListModel::messageAt(int row) const {
    if (!source_ || row < 0 || pendingReset_) return nullptr;
    const auto shownRow = static_cast<std::size_t>(row);
    if (shownRow >= shown_ || shownRow < pendingFront_) return nullptr;
    const std::size_t sourceRow = shownRow - pendingFront_;
    if (sourceRow >= source_->rowCount()) return nullptr;
    return &source_->message(sourceRow);
}

int MessageListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(shown_);
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const {
    const MIDIMessage* message = messageAt(index.row());
    if (!message) return {};
    switch (role) {
    case Qt::DisplayRole:
    case DescriptionRole:
        return QString::fromStdString(message->description);
    case HexRole:
        return QString::fromStdString(hexString(*message));
    case ClassRole: {
        const std::string_view name = displayName(message->messageType);
        return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    }
    case SourceRole:
        return QString::fromStdString(message->sourceName());
    case MessageTypeRole:
        return static_cast<int>(rawValue(message->messageType));
    case TimeRole:
        return QString::fromStdString(source_->timeText(*message));
    case Qt::AccessibleTextRole:
        return accessibleText(*message, QString::fromStdString(source_->timeText(*message)));
    default:
        return {};
    }
}

QString MessageListModel::accessibleText(const MIDIMessage& message, const QString& time) {
    const std::string_view name = displayName(message.messageType);
    QString text = QStringLiteral("More, %1, %2, %3, %4")
                       .arg(QString::fromStdString(hexString(message)),
                            QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())),
                            QString::fromStdString(message.description),
                            QString::fromStdString(message.sourceName()));
    // Last: a listener who moves along the list hears what the message is first.
    if (!time.isEmpty()) text += QStringLiteral(", ") + time;
    return text;
}

} // namespace umbrascope
