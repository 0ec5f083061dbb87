#include "ui/Sheets.hpp"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QPointer>
#include <QStandardPaths>
#include <memory>

#include "ui/BreakdownSheet.hpp"
#include "ui/DeviceSettingsSheet.hpp"
#include "ui/QtText.hpp"
#include "ui/UserGuideSheet.hpp"

namespace umbrascope {

namespace {

const QString exportDialogName = QStringLiteral("exportLocationDialog");

QString startFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

QDialog* present(QDialog* sheet) {
    sheet->open();
    sheet->activateWindow();
    return sheet;
}

} // namespace

QDialog* openBreakdownSheet(ContentView& view, QWidget* window) {
    const MIDIMessage* message = view.inspectedMessage();
    if (!message) return nullptr;
    return present(new BreakdownSheet(view, *message, window));
}

QDialog* openDeviceSettingsSheet(ContentView& view, QWidget* window) {
    return present(new DeviceSettingsSheet(view, window));
}

QDialog* openUserGuideSheet(ContentView& view, QWidget* window) {
    return present(new UserGuideSheet(view, window));
}

AskForExportLocation exportLocationAsker(QWidget* window) {
    return [owner = QPointer<QWidget>(window)](ExportLocationAnswer answer) {
        if (!owner) {
            answer(std::nullopt);
            return;
        }
        // One save dialog at a time: asking again (E typed into its file list) only brings the
        // open one to the front.
        if (auto* open = owner->findChild<QFileDialog*>(exportDialogName);
            open && open->isVisible()) {
            open->raise();
            open->activateWindow();
            answer(std::nullopt);
            return;
        }
        auto* dialog =
            new QFileDialog(owner, toQString(ContentView::exportDialogTitle), startFolder());
        dialog->setObjectName(exportDialogName);
        // Ours, parented to the window, so that the window's key commands reach it.
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setNameFilter(QStringLiteral("CSV files (*.csv)"));
        dialog->setDefaultSuffix(QStringLiteral("csv"));
        dialog->selectFile(toQString(ContentView::exportFileName));
        dialog->setWindowModality(Qt::WindowModal);
        dialog->setAttribute(Qt::WA_DeleteOnClose);

        // Answered exactly once: when the dialog finishes, or as cancelled if it goes first.
        auto pending = std::make_shared<ExportLocationAnswer>(std::move(answer));
        QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, pending](int result) {
            if (!*pending) return;
            std::optional<std::filesystem::path> location;
            const QStringList files = dialog->selectedFiles();
            if (result == QDialog::Accepted && !files.isEmpty() && !files.first().isEmpty())
                location = std::filesystem::path(QFile::encodeName(files.first()).toStdString());
            std::exchange(*pending, nullptr)(std::move(location));
        });
        // As the sheets do, and for desktops whose window manager gives the focus to no one.
        QObject::connect(dialog, &QFileDialog::finished, owner, [owner] {
            if (QGuiApplication::applicationState() == Qt::ApplicationActive)
                owner->activateWindow();
        });
        QObject::connect(dialog, &QObject::destroyed, [pending] {
            if (*pending) std::exchange(*pending, nullptr)(std::nullopt);
        });
        dialog->open();
    };
}

} // namespace umbrascope
