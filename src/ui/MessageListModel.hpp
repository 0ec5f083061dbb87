#pragma once

#include <QAbstractListModel>
#include <cstddef>

#include "ui/FrameCoalescer.hpp"
#include "ui/RowSource.hpp"

namespace umbrascope {

// The message list's rows over a RowSource. The owner of the source reports each change as it
// happens (front rows dropped, rows appended, or a reset); the model applies everything reported
// within one frame as at most one removal from the front and one insertion at the end, so the view
// and the screen reader see one update per frame however many batches arrive. Until then the
// rows it shows keep their old numbering, mapped onto the source. Main thread only.
class MessageListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        HexRole = Qt::UserRole + 1,
        ClassRole,
        DescriptionRole,
        SourceRole,
        MessageTypeRole,
        TimeRole,
    };

    explicit MessageListModel(QObject* parent = nullptr);

    // The source must outlive the model or be replaced first; null shows no rows.
    void setSource(const RowSource* source);

    void removedFromFront(std::size_t count);
    void appended(std::size_t count);
    void reset();
    // Applies what is pending now instead of at the next frame.
    void flush();
    bool hasPendingChanges() const { return coalescer_.isPending(); }
    // While reported changes are being applied.
    bool isApplying() const { return applying_; }

    // The message a row shows, or null while it has left the source and the row is not yet
    // removed.
    const MIDIMessage* messageAt(int row) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // "More", the hex words, the class, the description, the source and the arrival time, as a
    // screen reader reads the row.
    static QString accessibleText(const MIDIMessage& message, const QString& time);

signals:
    // After a frame's changes were applied.
    void changesApplied();

private:
    void apply();
    void applyChanges();

    const RowSource* source_ = nullptr;
    std::size_t shown_ = 0;
    std::size_t pendingFront_ = 0;
    bool pendingReset_ = false;
    bool applying_ = false;
    FrameCoalescer coalescer_;
};

} // namespace umbrascope
