#include <QDesktopServices>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

#include "SheetFixture.hpp"
#include "app/AppInfo.hpp"
#include "app/UserGuide.hpp"
#include "ui/LinkButton.hpp"
#include "ui/ReadAloudButton.hpp"
#include "ui/Sheets.hpp"
#include "ui/UserGuideSheet.hpp"

namespace umbrascope {
namespace {

using test::activate;
using test::SheetWindow;

// Receives what the desktop would open in its browser.
class UrlCatcher final : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "open");
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"http", "https"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }
    QList<QUrl> opened;

public slots:
    void open(const QUrl& url) { opened << url; }
};

struct UserGuideSheetTest : ::testing::Test {
    SheetWindow w;

    UserGuideSheet* open() {
        w.view->openUserGuide();
        auto* sheet = static_cast<UserGuideSheet*>(openUserGuideSheet(*w.view, &w.window));
        EXPECT_TRUE(activate(sheet));
        return sheet;
    }
    std::string sheetReading() const { return guideReadingText(true); }
};

TEST_F(UserGuideSheetTest, ShowsTheWrittenGuideAndALinkToTheHomePage) {
    UserGuideSheet* sheet = open();
    EXPECT_EQ(sheet->guideText()->toPlainText().toStdString(), writtenGuide());
    EXPECT_TRUE(sheet->guideText()->isReadOnly());
    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(sheet->homepageLink());
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("github.com/umbrascope/umbrascope"));
}

TEST_F(UserGuideSheetTest, TheLinkOpensTheHomePageByClickKeyOrScreenReader) {
    UrlCatcher browser;
    UserGuideSheet* sheet = open();
    LinkButton* link = sheet->homepageLink();
    link->setFocus();
    test::press(Qt::Key_Return);
    test::press(Qt::Key_Space);
    QTest::mouseClick(link, Qt::LeftButton);
    QAccessible::queryAccessibleInterface(link)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    const QUrl home(
        QString::fromUtf8(homepageURL().data(), static_cast<qsizetype>(homepageURL().size())));
    EXPECT_EQ(browser.opened, (QList<QUrl>{home, home, home, home}));
    EXPECT_TRUE(sheet->isVisible()) << "the guide stays open";
}

TEST_F(UserGuideSheetTest, TheButtonAndGReadTheSameTextAndStopIt) {
    UserGuideSheet* sheet = open();
    ReadAloudButton* read = sheet->readButton();
    read->setFocus();
    test::press(Qt::Key_Space);
    w.queue.drain();
    ASSERT_EQ(w.spoken(), std::vector<std::string>{sheetReading()});
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::nullopt) << "the default voice";
    w.report(SpeechReport::started);
    EXPECT_EQ(read->text(), QStringLiteral("Stop Reading"));
    w.report(SpeechReport::finished);
    EXPECT_EQ(read->text(), QStringLiteral("Read Guide Aloud")) << "ended by itself";

    sheet->guideText()->setFocus();
    test::type('g');
    ASSERT_EQ(w.spoken().size(), 2u);
    EXPECT_EQ(w.spoken().back(), sheetReading()) << "G with the guide open";
    w.report(SpeechReport::started);
    const std::size_t stops = w.stops();
    test::type('G');
    EXPECT_EQ(w.stops(), stops + 1) << "G again stops";
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking());
    EXPECT_EQ(read->text(), QStringLiteral("Read Guide Aloud"));
}

TEST_F(UserGuideSheetTest, TabRunsThroughDoneTheTextTheButtonAndTheLink) {
    UserGuideSheet* sheet = open();
    EXPECT_EQ(sheet->focusWidget(), sheet->guideText());
    const std::vector<QWidget*> expected{sheet->doneButton(), sheet->guideText(),
                                         sheet->readButton(), sheet->homepageLink()};
    EXPECT_EQ(test::tabCycle(sheet, sheet->doneButton()), expected);
}

} // namespace
} // namespace umbrascope

#include "UserGuideSheetTest.moc"
