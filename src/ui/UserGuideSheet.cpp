#include "ui/UserGuideSheet.hpp"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/AppInfo.hpp"
#include "app/UserGuide.hpp"
#include "ui/LinkButton.hpp"
#include "ui/QtText.hpp"
#include "ui/ReadAloudButton.hpp"
#include "ui/SheetStyle.hpp"

namespace umbrascope {

QString UserGuideSheet::linkLabel(const QString& url) {
    QString label = url;
    for (const QString& prefix : {QStringLiteral("https://"), QStringLiteral("http://")})
        if (label.startsWith(prefix)) label.remove(0, prefix.size());
    while (label.endsWith(QLatin1Char('/')))
        label.chop(1);
    return label;
}

UserGuideSheet::UserGuideSheet(ContentView& view, QWidget* window)
    : SheetDialog(window, QStringLiteral("User Guide"), sheetSize), view_(view) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* title = new QLabel(QStringLiteral("User Guide"), this);
    title->setFont(sheet::headlineFont(font()));
    done_ = addHeader(layout, title, QStringLiteral("Done"));
    layout->addWidget(sheet::divider(this));

    // A read-only text with a caret, so that a screen reader can review it.
    text_ = new QPlainTextEdit(this);
    text_->setObjectName(QStringLiteral("guideText"));
    text_->setAccessibleName(QStringLiteral("User Guide"));
    text_->setReadOnly(true);
    text_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text_->setTabChangesFocus(true);
    text_->setFrameShape(QFrame::NoFrame);
    text_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    text_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    text_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    text_->document()->setDocumentMargin(16);
    text_->setPlainText(toQString(writtenGuide()));
    layout->addWidget(text_, 1);
    layout->addWidget(sheet::divider(this));

    auto* footer = new QWidget(this);
    auto* footerRow = new QHBoxLayout(footer);
    footerRow->setContentsMargins(16, 10, 16, 10);
    read_ = new ReadAloudButton(QStringLiteral("Read Guide Aloud"),
                                QStringLiteral("Starts or stops reading the guide aloud"),
                                view_.speechAnnouncer(), footer);
    connect(read_, &QPushButton::clicked, this, [this] { view_.toggleGuideReading(); });
    footerRow->addWidget(read_);
    footerRow->addStretch(1);
    const QString url = toQString(homepageURL());
    link_ = new LinkButton(linkLabel(url), QUrl(url), footer);
    link_->setAccessibleDescription(
        QStringLiteral("Opens the project's home page in your web browser"));
    footerRow->addWidget(link_);
    layout->addWidget(footer);

    setTabOrder(done_, text_);
    setTabOrder(text_, read_);
    setTabOrder(read_, link_);
    text_->setFocus();
}

} // namespace umbrascope
