#pragma once

#include <QAccessible>
#include <QListView>
#include <QPointer>
#include <vector>

class QPropertyAnimation;

namespace umbrascope {

class MessageListModel;
class MessageRowDelegate;

// The virtualised message list. It owns its model and row delegate, keeps a current row whenever
// it has rows (screen readers and the Enter key need one), the newest until the user moves it,
// and ends with an empty strip, the end element, that scrolling to the end brings into view. Main
// thread only.
class MessageListView final : public QListView {
    Q_OBJECT
public:
    static constexpr int idleEndHeight = 30;
    static constexpr int busyEndHeight = 1;

    explicit MessageListView(QWidget* parent = nullptr);
    ~MessageListView() override;

    MessageListModel& messageModel() const { return *model_; }
    MessageRowDelegate& rowDelegate() const { return *delegate_; }

    void setEndElementHeight(int height);
    int endElementHeight() const { return endHeight_; }
    // Brings the end element to the bottom of the view.
    void scrollToEnd(bool animated);

    // The accessible item of a row, made on first use and kept until the row leaves the list.
    QAccessibleInterface* rowAccessible(int row);
    std::size_t liveRowAccessibleCount() const;

signals:
    // "More" of a row, by mouse, by Enter or Space on the current row, or by a screen reader.
    void moreRequested(int row);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void updateGeometries() override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void reset() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void keepCurrentRow();
    void forgetRowAccessibles(int first, int last);

    MessageListModel* model_;
    MessageRowDelegate* delegate_;
    int endHeight_ = idleEndHeight;
    bool keepingCurrentRow_ = false;
    bool followsNewest_ = true;
    bool endBeforeRemeasure_ = false;
    QPointer<QPropertyAnimation> scrollAnimation_;
    // One entry per row; 0 where no accessible item was made yet.
    std::vector<QAccessible::Id> rowIds_;
};

} // namespace umbrascope
