#pragma once

#include <QDialog>
#include <QIcon>

namespace umbrascope {

// The About panel: the logo (the application icon when the logo resource is absent), the name,
// the version line and the credits line.
class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* logoResource = ":/umbrascope/logo.svg";

    explicit AboutDialog(QWidget* parent = nullptr, const QString& logoPath = logoResource);

    // The logo as an icon, or the application icon when the logo file is missing.
    static QIcon logoIcon(const QString& logoPath = logoResource);
};

} // namespace umbrascope
