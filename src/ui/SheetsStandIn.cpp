// Plain dialogs in place of the sheets until their real views arrive: each shows its title and a
// Close button, and closing it calls the view's close operation. The save dialog answers none.
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "ui/Sheets.hpp"

namespace umbrascope {

namespace {

QDialog* openStandIn(QWidget* window, const QString& title, std::function<void()> close) {
    auto* dialog = new QDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowTitle(title);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(new QLabel(title, dialog));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    layout->addWidget(buttons);
    // Close, Escape and the window's close button all end in finished.
    QObject::connect(dialog, &QDialog::finished, dialog, [close = std::move(close)] { close(); });
    dialog->show();
    return dialog;
}

} // namespace

QDialog* openBreakdownSheet(ContentView& view, QWidget* window) {
    return openStandIn(window, QStringLiteral("Message Fields"),
                       [&view] { view.closeBreakdown(); });
}

QDialog* openDeviceSettingsSheet(ContentView& view, QWidget* window) {
    return openStandIn(window, QStringLiteral("Devices"), [&view] { view.closeDeviceSettings(); });
}

QDialog* openUserGuideSheet(ContentView& view, QWidget* window) {
    return openStandIn(window, QStringLiteral("User Guide"), [&view] { view.closeUserGuide(); });
}

AskForExportLocation exportLocationAsker(QWidget*) {
    return [](ExportLocationAnswer answer) { answer(std::nullopt); };
}

} // namespace umbrascope
