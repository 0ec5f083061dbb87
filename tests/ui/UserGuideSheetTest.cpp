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

TEST_F(UserGuideSheetTest, ShowsTheWrittenGuideTheReadingButtonAndTheLink) {
    UserGuideSheet* sheet = open();
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("User Guide"));
    EXPECT_EQ(sheet->size(), QSize(440, 500));
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->doneButton()->text(), QStringLiteral("Done"));
    EXPECT_EQ(sheet->guideText()->toPlainText().toStdString(), writtenGuide());
    EXPECT_TRUE(sheet->guideText()->isReadOnly());
    EXPECT_EQ(sheet->readButton()->text(), QStringLiteral("Read Guide Aloud"));
    EXPECT_EQ(test::accessibleText(sheet->readButton(), QAccessible::Description),
              QStringLiteral("Starts or stops reading the guide aloud"));

    QAccessibleInterface* link = QAccessible::queryAccessibleInterface(sheet->homepageLink());
    ASSERT_NE(link, nullptr);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("github.com/umbrascope/umbrascope"));
    EXPECT_EQ(sheet->homepageLink()->url(),
              QUrl(QString::fromUtf8(homepageURL().data(),
                                     static_cast<qsizetype>(homepageURL().size()))));
}

TEST_F(UserGuideSheetTest, TheLinkOpensTheHomePageByClickKeyOrScreenReader) {
    UrlCatcher browser;
    UserGuideSheet* sheet = open();
    LinkButton* link = sheet->homepageLink();
    link->setFocus();
    test::press(sheet, Qt::Key_Return);
    test::press(sheet, Qt::Key_Space);
    QTest::mouseClick(link, Qt::LeftButton);
    QAccessible::queryAccessibleInterface(link)->actionInterface()->doAction(
        QAccessibleActionInterface::pressAction());
    const QUrl home(QStringLiteral("https://github.com/umbrascope/umbrascope"));
    EXPECT_EQ(browser.opened, (QList<QUrl>{home, home, home, home}));
    EXPECT_TRUE(sheet->isVisible()) << "the guide stays open";
}

TEST_F(UserGuideSheetTest, TheButtonAndGReadTheSameTextAndStopIt) {
    UserGuideSheet* sheet = open();
    ReadAloudButton* read = sheet->readButton();
    read->setFocus();
    test::press(sheet, Qt::Key_Space);
    w.queue.drain();
    ASSERT_EQ(w.spoken(), std::vector<std::string>{sheetReading()});
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::nullopt) << "the default voice";
    w.report(SpeechReport::started);
    EXPECT_EQ(read->text(), QStringLiteral("Stop Reading"));
    w.report(SpeechReport::finished);
    EXPECT_EQ(read->text(), QStringLiteral("Read Guide Aloud")) << "ended by itself";

    sheet->guideText()->setFocus();
    test::type(sheet, 'g');
    ASSERT_EQ(w.spoken().size(), 2u);
    EXPECT_EQ(w.spoken().back(), sheetReading()) << "G with the guide open";
    w.report(SpeechReport::started);
    const std::size_t stops = w.stops();
    test::type(sheet, 'G');
    EXPECT_EQ(w.stops(), stops + 1) << "G again stops";
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking());
    EXPECT_EQ(read->text(), QStringLiteral("Read Guide Aloud"));

    read->setFocus();
    test::press(sheet, Qt::Key_Return);
    w.queue.drain();
    w.report(SpeechReport::started);
    test::press(sheet, Qt::Key_Return);
    w.queue.drain();
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking()) << "Enter stops it too";
    EXPECT_EQ(w.spoken().size(), 3u);
}

TEST_F(UserGuideSheetTest, ClosingStopsAnySpeechAndResetsTheFlag) {
    const struct {
        const char* name;
        void (*close)(UserGuideSheet*);
    } ways[] = {
        {"done", [](UserGuideSheet* s) { s->doneButton()->click(); }},
        {"escape", [](UserGuideSheet* s) { test::press(s, Qt::Key_Escape); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        QPointer<QDialog> sheet = open();
        w.speak("Note On C4"); // an announcement, not the guide
        const std::size_t stops = w.stops();
        way.close(static_cast<UserGuideSheet*>(sheet.data()));
        w.queue.drain();
        EXPECT_EQ(w.stops(), stops + 1);
        EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking());
        EXPECT_FALSE(w.view->showUserGuide());
        EXPECT_TRUE(test::gone(sheet));
    }
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
