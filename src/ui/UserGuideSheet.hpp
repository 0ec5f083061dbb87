#pragma once

#include "app/ContentView.hpp"
#include "ui/SheetDialog.hpp"

class QPlainTextEdit;
class QPushButton;

namespace umbrascope {

class LinkButton;
class ReadAloudButton;

// The user guide: the written guide, the button that reads the spoken guide aloud, and the link
// to the project's home page. The view must outlive the sheet.
class UserGuideSheet final : public SheetDialog {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{440, 500};

    UserGuideSheet(ContentView& view, QWidget* window);

    QPushButton* doneButton() const { return done_; }
    QPlainTextEdit* guideText() const { return text_; }
    ReadAloudButton* readButton() const { return read_; }
    LinkButton* homepageLink() const { return link_; }

    // The link's label: the home page's address without its scheme.
    static QString linkLabel(const QString& url);

private:
    ContentView& view_;
    QPushButton* done_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    ReadAloudButton* read_ = nullptr;
    LinkButton* link_ = nullptr;
};

} // namespace umbrascope
