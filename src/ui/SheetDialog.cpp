#include "ui/SheetDialog.hpp"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

#include "ui/AccessibleViews.hpp"

namespace umbrascope {

SheetDialog::SheetDialog(QWidget* window, const QString& title, QSize size) : QDialog(window) {
    installAccessibleViews();
    setWindowTitle(title);
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size);
    setSizeGripEnabled(false);
}

void SheetDialog::keyPressEvent(QKeyEvent* event) {
    // Enter presses the button in focus (it takes the key itself) and nothing else: Qt would
    // otherwise press the next button in the focus chain, such as a Test button from a switch.
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

QPushButton* SheetDialog::addHeader(QBoxLayout* layout, QWidget* leading,
                                    const QString& buttonText) {
    auto* header = new QWidget(this);
    auto* row = new QHBoxLayout(header);
    row->setContentsMargins(16, 12, 16, 12);
    row->setSpacing(12);
    leading->setParent(header);
    row->addWidget(leading, 1);
    auto* button = new QPushButton(buttonText, header);
    connect(button, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(button, 0, Qt::AlignTop);
    layout->addWidget(header);
    return button;
}

} // namespace umbrascope
