#include "ui/FileDialogs.hpp"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPointer>
#include <QStandardPaths>
#include <functional>
#include <memory>
#include <utility>

#include "ui/QtText.hpp"

namespace umbrascope {

namespace {

struct DialogSetup {
    QString objectName;
    std::string_view title;
    QString filter;
    QString suffix;
    std::string_view suggestedFile; // saving; none opens an existing file
};

const QString playAtOnceName = QStringLiteral("playAtOnce");

QString startFolder() {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return !documents.isEmpty() && QDir(documents).exists() ? documents : QDir::homePath();
}

// The dialog, or null when one of its kind is already open (then brought to the front).
QFileDialog* makeDialog(QWidget* owner, const DialogSetup& setup) {
    if (auto* open = owner->findChild<QFileDialog*>(setup.objectName); open && open->isVisible()) {
        open->raise();
        open->activateWindow();
        return nullptr;
    }
    auto* dialog = new QFileDialog(owner, toQString(setup.title), startFolder());
    dialog->setObjectName(setup.objectName);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    if (setup.suggestedFile.empty()) {
        dialog->setAcceptMode(QFileDialog::AcceptOpen);
        dialog->setFileMode(QFileDialog::ExistingFile);
    } else {
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setFileMode(QFileDialog::AnyFile);
        dialog->setDefaultSuffix(setup.suffix);
        dialog->selectFile(toQString(setup.suggestedFile));
    }
    dialog->setNameFilter(setup.filter);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    return dialog;
}

// Called once: when the dialog finishes (no location unless accepted), or with no location and
// no dialog if the dialog goes first.
using DialogAnswer = std::function<void(std::optional<std::filesystem::path>, QFileDialog*)>;

void answerOnce(QWidget* owner, QFileDialog* dialog, DialogAnswer answer) {
    auto pending = std::make_shared<DialogAnswer>(std::move(answer));
    QObject::connect(dialog, &QFileDialog::finished, dialog, [dialog, pending](int result) {
        if (!*pending) return;
        std::optional<std::filesystem::path> location;
        const QStringList files = dialog->selectedFiles();
        if (result == QDialog::Accepted && !files.isEmpty() && !files.first().isEmpty())
            location = std::filesystem::path(QFile::encodeName(files.first()).toStdString());
        std::exchange(*pending, nullptr)(std::move(location), dialog);
    });
    // As the sheets do, and for desktops whose window manager gives the focus to no one.
    QObject::connect(dialog, &QFileDialog::finished, owner, [owner] {
        if (QGuiApplication::applicationState() == Qt::ApplicationActive) owner->activateWindow();
    });
    QObject::connect(dialog, &QObject::destroyed, [pending] {
        if (*pending) std::exchange(*pending, nullptr)(std::nullopt, nullptr);
    });
    dialog->open();
}

AskForExportLocation saveAsker(QWidget* window, DialogSetup setup) {
    return [owner = QPointer<QWidget>(window), setup](ExportLocationAnswer answer) {
        QFileDialog* dialog = owner ? makeDialog(owner, setup) : nullptr;
        if (!dialog) {
            answer(std::nullopt);
            return;
        }
        answerOnce(owner, dialog,
                   [answer = std::move(answer)](std::optional<std::filesystem::path> location,
                                                QFileDialog*) { answer(std::move(location)); });
    };
}

} // namespace

AskForExportLocation csvSaveAsker(QWidget* window) {
    return saveAsker(window, {QStringLiteral("exportLocationDialog"),
                              ContentView::exportDialogTitle, QStringLiteral("CSV files (*.csv)"),
                              QStringLiteral("csv"), ContentView::exportFileName});
}

AskForExportLocation captureSaveAsker(QWidget* window) {
    return saveAsker(window, {QStringLiteral("captureSaveDialog"), CaptureFiles::saveDialogTitle,
                              QStringLiteral("Capture files (*.ump)"), QStringLiteral("ump"),
                              CaptureFiles::saveFileName});
}

AskForCaptureToOpen captureOpenAsker(QWidget* window) {
    return [owner = QPointer<QWidget>(window)](CaptureToOpenAnswer answer) {
        QFileDialog* dialog =
            owner ? makeDialog(owner, {QStringLiteral("captureOpenDialog"),
                                       CaptureFiles::openDialogTitle,
                                       QStringLiteral("Capture files (*.ump *.csv);;All files (*)"),
                                       {},
                                       {}})
                  : nullptr;
        if (!dialog) {
            answer(std::nullopt);
            return;
        }
        auto* playAtOnce = new QCheckBox(QStringLiteral("Play at once"), dialog);
        playAtOnce->setObjectName(playAtOnceName);
        playAtOnce->setAccessibleDescription(
            QStringLiteral("Plays the file as fast as the window takes it, instead of at the "
                           "pace it was recorded at"));
        // Under the file list, the whole width of the non-native dialog's grid.
        if (auto* grid = qobject_cast<QGridLayout*>(dialog->layout()))
            grid->addWidget(playAtOnce, grid->rowCount(), 0, 1, grid->columnCount());
        answerOnce(owner, dialog,
                   [answer = std::move(answer)](std::optional<std::filesystem::path> file,
                                                QFileDialog* finished) {
                       if (!file) {
                           answer(std::nullopt);
                           return;
                       }
                       const auto* box = finished->findChild<QCheckBox*>(playAtOnceName);
                       answer(CaptureToOpen{std::move(*file), box && box->isChecked()});
                   });
    };
}

} // namespace umbrascope
