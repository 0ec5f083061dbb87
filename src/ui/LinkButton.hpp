#pragma once

#include <QAbstractButton>
#include <QUrl>

namespace umbrascope {

// A web link: a caption-size label and a small up-right arrow, 4 pixels apart, that opens its
// address in the desktop's web browser when clicked or activated with Space or Enter. Screen
// readers meet a link named by its label. Main thread only.
class LinkButton final : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr int arrowSpacing = 4;

    LinkButton(const QString& label, const QUrl& url, QWidget* parent = nullptr);

    const QUrl& url() const { return url_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFont labelFont() const;
    QFont arrowFont() const;

    QUrl url_;
};

} // namespace umbrascope
