#pragma once

#include <QHash>
#include <QStyledItemDelegate>
#include <array>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace umbrascope {

struct MIDIMessage;

// Draws a message row: the "More" button, the hex words in the class colour with the class under
// them, the description (wrapped, so long ones make the row taller) with the source under it, and
// the arrival time at the right edge.
// Heights are cached per message and width, since the list asks for every row's size whenever it
// lays itself out. The cache has two generations: a full one becomes the old one, and the rows
// still shown move back on their next lookup, so no row is measured twice and gone rows are
// forgotten.
//
// A busy device sends far more rows than are ever shown, so a row is measured only when it is
// first painted: until then its description counts as one line (the hex block and the source
// line are exact, measured once per word count and per source), and a row that turns out taller
// asks the list to lay itself out again.
class MessageRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Row geometry in device-independent pixels.
    static constexpr int horizontalPadding = 8;
    static constexpr int verticalPadding = 4;
    static constexpr int moreColumnWidth = 60;
    static constexpr int moreButtonWidth = 44;
    static constexpr int hexColumnWidth = 280;
    static constexpr int timeColumnWidth = 100;
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
    int estimatedHeight(const MIDIMessage& message, int width) const;
    int hexBlockHeight(const MIDIMessage& message) const;
    int sourceLineHeight(const MIDIMessage& message, int width) const;
    int descriptionWidth(int rowWidth) const;
    // The exact height when the row was measured, else none.
    std::optional<int> measuredHeight(const MIDIMessage& message, int width) const;
    void measure(const MIDIMessage& message, const QModelIndex& index, int width,
                 int paintedHeight) const;

    QWidget* view_;
    using Key = std::pair<quint64, quint64>;
    mutable QHash<Key, int> heights_;
    mutable QHash<Key, int> oldHeights_;
    // By word count, and by source name (held, so that its address names it while cached).
    mutable std::array<int, 5> hexHeights_{};
    mutable std::map<const std::string*, std::pair<std::shared_ptr<const std::string>, int>>
        sourceHeights_;
    mutable std::unique_ptr<Fonts> fonts_;
    mutable int cachedWidth_ = -1;
    QPersistentModelIndex pressed_;
};

} // namespace umbrascope
