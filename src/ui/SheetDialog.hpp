#pragma once

#include <QDialog>
#include <functional>

class QBoxLayout;
class QPushButton;

namespace umbrascope {

// A sheet of the monitor window: a window-modal dialog of ours parented to the window (so the
// window's key commands reach it too), of a fixed size, deleted once closed. Whoever opened it
// watches it finish; it never closes itself from the window's state. Main thread only.
class SheetDialog : public QDialog {
    Q_OBJECT
public:
    SheetDialog(QWidget* window, const QString& title, QSize size);

protected:
    void keyPressEvent(QKeyEvent* event) override;

    // The header row: `leading` fills the space before the closing button, which rejects the
    // dialog (as Escape does). Returns the button.
    QPushButton* addHeader(QBoxLayout* layout, QWidget* leading, const QString& buttonText);
};

} // namespace umbrascope
