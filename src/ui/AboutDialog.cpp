#include "ui/AboutDialog.hpp"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/TypeColors.hpp"

namespace umbrascope {

QIcon AboutDialog::logoIcon(const QString& logoPath) {
    if (QFile::exists(logoPath)) return QIcon(logoPath);
    return QApplication::windowIcon();
}

AboutDialog::AboutDialog(QWidget* parent, const QString& logoPath) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Umbrascope"));
    auto* layout = new QVBoxLayout(this);
    layout->setSpacing(8);
    layout->setContentsMargins(24, 20, 24, 16);

    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("aboutLogo"));
    logo->setPixmap(logoIcon(logoPath).pixmap(QSize(64, 64)));
    logo->setAlignment(Qt::AlignCenter);
    logo->setAccessibleName(QStringLiteral("Umbrascope logo"));
    layout->addWidget(logo);

    auto* name = new QLabel(QStringLiteral("Umbrascope"), this);
    name->setObjectName(QStringLiteral("aboutName"));
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() + 3);
    name->setFont(nameFont);
    name->setAlignment(Qt::AlignCenter);
    layout->addWidget(name);

    const QString version = QApplication::applicationVersion();
    if (!version.isEmpty()) {
        auto* versionLine = new QLabel(QStringLiteral("Version %1").arg(version), this);
        versionLine->setObjectName(QStringLiteral("aboutVersion"));
        versionLine->setAlignment(Qt::AlignCenter);
        layout->addWidget(versionLine);
    }

    auto* credits = new QLabel(QStringLiteral("A simple MIDI 2.0 (UMP) monitor."), this);
    credits->setObjectName(QStringLiteral("aboutCredits"));
    QFont creditsFont = credits->font();
    creditsFont.setPointSize(11);
    credits->setFont(creditsFont);
    QPalette creditsPalette = credits->palette();
    creditsPalette.setColor(QPalette::WindowText, currentTypePalette().secondaryText);
    credits->setPalette(creditsPalette);
    credits->setAlignment(Qt::AlignCenter);
    layout->addWidget(credits);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    buttons->button(QDialogButtonBox::Close)->setDefault(true);
}

} // namespace umbrascope
