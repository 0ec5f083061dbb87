#pragma once

#include <QHash>
#include <QStyledItemDelegate>
#include <memory>
#include <utility>

namespace umbrascope {

struct MIDIMessage;

// Draws a message row: the "More" button, the hex words in the class colour with the class under
// them, and the description (wrapped, so long ones make the row taller) with the source under it.
// Heights are cached per message and width, since the list asks for every row's size whenever it
// lays itself out. The cache has two generations: a full one becomes the old one, and the rows
// still shown move back on their next lookup, so no row is measured twice and gone rows are
// forgotten.
class MessageRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Row geometry in device-independent pixels.
    static constexpr int horizontalPadding = 8;
    static constexpr int verticalPadding = 4;
    static constexpr int moreColumnWidth = 60;
    static constexpr int moreButtonWidth = 44;
    static constexpr int hexColumnWidth = 280;
    static constexpr int columnSpacing = 8;

    explicit MessageRowDelegate(QWidget* view);
    ~MessageRowDelegate() override;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

    // Forgets cached heights, after a change of width, font or style.
    void invalidateSizes() const;
    QRect moreButtonRect(const QRect& rowRect) const;

signals:
    void moreClicked(const QModelIndex& index);

private:
    struct Fonts;
    const Fonts& fonts() const;
    int rowHeight(const MIDIMessage& message, int width) const;
    int descriptionWidth(int rowWidth) const;

    QWidget* view_;
    using Key = std::pair<quint64, quint64>;
    mutable QHash<Key, int> heights_;
    mutable QHash<Key, int> oldHeights_;
    mutable std::unique_ptr<Fonts> fonts_;
    mutable int cachedWidth_ = -1;
    QPersistentModelIndex pressed_;
};

} // namespace umbrascope
