#pragma once

#include <QDialog>
#include <functional>

class QBoxLayout;
class QPushButton;

namespace umbrascope {

// A sheet of the monitor window: a window-modal dialog of ours parented to the window (so the
// window's key commands reach it too), of a fixed size, deleted once closed. However it closes
// (its button, Escape, the title bar), it calls `onClose` once, unless the window's state closed
// it first (closeFromState), which has already done what closing does. Main thread only.
class SheetDialog : public QDialog {
    Q_OBJECT
public:
    SheetDialog(QWidget* window, const QString& title, QSize size, std::function<void()> onClose);

    // The window no longer shows this sheet: close it without calling back.
    void closeFromState();

    void done(int result) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // The header row: `leading` fills the space before the closing button, which rejects the
    // dialog (as Escape does). Returns the button.
    QPushButton* addHeader(QBoxLayout* layout, QWidget* leading, const QString& buttonText);

private:
    std::function<void()> onClose_;
    bool closing_ = false;
    bool closedByState_ = false;
};

} // namespace umbrascope
