#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "SheetFixture.hpp"
#include "ui/BreakdownSheet.hpp"
#include "ui/FieldRowView.hpp"
#include "ui/ReadAloudButton.hpp"
#include "ui/Sheets.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {
namespace {

using test::activate;
using test::SheetWindow;
using test::waitFor;

const std::string noteOnReading =
    "To stop this reading, click Stop Reading, or close this window. Fields are, 4 bits, Message "
    "Type: 2, MIDI 1.0 Channel Voice Message. 4 bits, Group 1. 4 bits, Note On. 4 bits, Channel "
    "1. 8 bits, Note Number: C4. 8 bits, Velocity: 64 (50.39%).";

struct BreakdownSheetTest : ::testing::Test {
    SheetWindow w{test::twoSources, {{"v-amy", "Amy", "en-GB"}}};

    BreakdownSheet* open(std::initializer_list<std::uint32_t> words) {
        w.receive(words);
        w.view->openBreakdown(w.newest());
        auto* sheet = static_cast<BreakdownSheet*>(openBreakdownSheet(*w.view, &w.window));
        EXPECT_TRUE(activate(sheet));
        return sheet;
    }
};

TEST_F(BreakdownSheetTest, ShowsTheWordsInTheTypeColourAndEveryRowAsOneNamedItem) {
    BreakdownSheet* sheet = open({0x40903C11, 0x8000E0C9});
    EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Message Fields"));
    EXPECT_EQ(sheet->size(), QSize(500, 480));
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->parentWidget(), &w.window);
    EXPECT_EQ(sheet->hexLabel()->text(), QStringLiteral("40903C11  8000E0C9"));
    EXPECT_EQ(sheet->hexLabel()->palette().color(QPalette::WindowText),
              typeColor(UMPMessageType::midi2ChannelVoice));

    struct Row {
        int depth;
        const char* name;
    };
    const Row expected[] = {
        {0, "4, 4 bits, Message Type = 4, MIDI 2.0 Channel Voice Message"},
        {0, "0, 4 bits, Group 1"},
        {0, "9, 4 bits, Note On"},
        {0, "0, 4 bits, Channel 1"},
        {0, "3C, 8 bits, Note Number = C4"},
        {0, "11, 8 bits, Attribute Type = Articulation Classification: Staccatos and Shorts"},
        {0, "8000, 16 bits, Velocity = 50.00%"},
        {0, "E0C9, 16 bits, Attribute Data with subfields:"},
        {1, "4 bits, SubClass = E String Hand Tap"},
        {1, "4 bits, Variation = 0"},
        {1, "2 bits, Direction = 3 Reserved"},
        {1, "2 bits, Reserved"},
        {1, "1 bit, Reset Round Robin = 1 True"},
        {1, "3 bits, String = 1 First String (highest pitched)"},
    };
    const auto& rows = sheet->rows();
    ASSERT_EQ(rows.size(), std::size(expected));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(rows[0]->parentWidget());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->childCount(), static_cast<int>(rows.size())) << "dividers are not items";

    const int width = rows[0]->width();
    const FieldRowView::Columns first = rows[0]->columns(width);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const Row& row = expected[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(rows[i]->depth(), row.depth);
        QAccessibleInterface* item = QAccessible::queryAccessibleInterface(rows[i]);
        ASSERT_NE(item, nullptr);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name), QString::fromUtf8(row.name));
        EXPECT_EQ(item->childCount(), 0);
        EXPECT_EQ(list->child(static_cast<int>(i)), item);
        EXPECT_EQ(list->indexOfChild(item), static_cast<int>(i));

        const FieldRowView::Columns c = rows[i]->columns(width);
        EXPECT_GE(c.bits.width(), FieldRowView::bitsMinimumWidth);
        if (row.depth == 0) {
            EXPECT_GE(c.hex.width(), FieldRowView::hexMinimumWidth);
            EXPECT_EQ(c.label.left(), first.label.left()) << "labels line up";
        } else {
            EXPECT_EQ(c.hex.left(), first.hex.left() + FieldRowView::indentPerDepth);
            EXPECT_EQ(c.hex.width(), 0) << "sub-rows have no hex digits";
        }
        EXPECT_GE(rows[i]->height(), rows[i]->heightForWidth(rows[i]->width()));
    }
    // The attribute type, the longest label, wraps instead of scrolling sideways.
    EXPECT_LE(rows[5]->width(), sheet->rowsArea()->viewport()->width());
    EXPECT_GT(rows[5]->heightForWidth(300), rows[5]->heightForWidth(2000));
}

TEST_F(BreakdownSheetTest, TheReadingButtonSpeaksInTheSourceVoiceAndFollowsTheAnnouncer) {
    w.view->speechAnnouncer().setVoiceForSource(SheetWindow::keysID, "v-amy");
    BreakdownSheet* sheet = open({0x20903C40});
    ReadAloudButton* read = sheet->readButton();
    EXPECT_EQ(read->text(), QStringLiteral("Read More Aloud"));
    EXPECT_EQ(test::accessibleText(read, QAccessible::Description),
              QStringLiteral("Starts or stops reading this message's field breakdown aloud"));

    test::press(sheet, Qt::Key_Return); // on the first row
    w.queue.drain();
    EXPECT_TRUE(w.spoken().empty()) << "Enter on a row reads nothing";
    read->setFocus();
    test::press(sheet, Qt::Key_Space);
    w.queue.drain();
    ASSERT_EQ(w.spoken(), std::vector<std::string>{noteOnReading});
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::optional<std::string>("v-amy"));
    w.report(SpeechReport::started);
    EXPECT_EQ(read->text(), QStringLiteral("Stop Reading"));
    w.report(SpeechReport::finished);
    EXPECT_EQ(read->text(), QStringLiteral("Read More Aloud")) << "ended by itself";

    test::press(sheet, Qt::Key_Return);
    w.queue.drain();
    w.report(SpeechReport::started);
    const std::size_t stopsBefore = w.stops();
    test::press(sheet, Qt::Key_Enter);
    w.queue.drain();
    EXPECT_EQ(w.stops(), stopsBefore + 1) << "a press while speaking stops";
    EXPECT_EQ(read->text(), QStringLiteral("Read More Aloud"));
    EXPECT_EQ(w.spoken().size(), 2u);

    w.speak("Note On C4");
    EXPECT_EQ(read->text(), QStringLiteral("Stop Reading")) << "whoever speaks";
    test::press(sheet, Qt::Key_Space);
    w.queue.drain();
    EXPECT_EQ(w.spoken().size(), 3u) << "stops the other speech instead of reading";
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking());
}

TEST_F(BreakdownSheetTest, ClosingItAnyWayStopsSpeechAndEndsTheInspection) {
    const struct {
        const char* name;
        void (*close)(BreakdownSheet*);
    } ways[] = {
        {"closeButton", [](BreakdownSheet* s) { s->closeButton()->click(); }},
        {"escape", [](BreakdownSheet* s) { test::press(s, Qt::Key_Escape); }},
        {"titleBar", [](BreakdownSheet* s) { s->close(); }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        QPointer<QDialog> sheet = open({0x20903C40});
        w.speak("An announcement");
        const std::size_t stopsBefore = w.stops();
        way.close(static_cast<BreakdownSheet*>(sheet.data()));
        w.queue.drain();
        EXPECT_EQ(w.stops(), stopsBefore + 1);
        EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking());
        EXPECT_EQ(w.view->inspectedMessage(), nullptr);
        EXPECT_TRUE(test::gone(sheet));
    }
}

TEST_F(BreakdownSheetTest, TheMKeyReadsTheNewestVisibleMessageWithTheSheetsHint) {
    BreakdownSheet* sheet = open({0x20803C00}); // a note off, shown in the sheet
    w.receive({0x20903C40});                    // then the note on arrives
    test::type(sheet, 'm');
    ASSERT_EQ(w.spoken(), std::vector<std::string>{noteOnReading});
    w.report(SpeechReport::started);
    test::type(sheet, 'm');
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking()) << "M again stops";
    EXPECT_EQ(w.spoken().size(), 1u);

    QPointer<QDialog> closing = sheet;
    test::press(sheet, Qt::Key_Escape);
    ASSERT_TRUE(test::gone(closing));
    w.view->handleKey("m");
    w.queue.drain();
    EXPECT_EQ(w.spoken().back().rfind("To stop this reading, press M again. Fields are, ", 0), 0u)
        << w.spoken().back();
}

TEST_F(BreakdownSheetTest, TabRunsFromCloseThroughEveryRowToTheReadingButton) {
    BreakdownSheet* sheet = open({0x40903C11, 0x8000E0C9});
    EXPECT_EQ(sheet->focusWidget(), sheet->rows().front()) << "opens on the first field";
    std::vector<QWidget*> expected{sheet->closeButton()};
    expected.insert(expected.end(), sheet->rows().begin(), sheet->rows().end());
    expected.push_back(sheet->readButton());
    EXPECT_EQ(test::tabCycle(sheet, sheet->closeButton()), expected);

    QScrollArea* area = sheet->rowsArea();
    QFont large = sheet->font();
    large.setPointSizeF(large.pointSizeF() * 2);
    sheet->setFont(large);
    area->verticalScrollBar()->setValue(0);
    FieldRowView* last = sheet->rows().back();
    ASSERT_TRUE(waitFor([&] {
        return last->mapTo(area->viewport(), QPoint(0, last->height())).y() >
               area->viewport()->height();
    })) << "the rows overflow";
    last->setFocus();
    ASSERT_TRUE(waitFor([&] { return last->hasFocus(); }));
    const QRect shown(last->mapTo(area->viewport(), QPoint(0, 0)), last->size());
    EXPECT_TRUE(area->viewport()->rect().contains(shown)) << "a focused row is in view";
}

TEST_F(BreakdownSheetTest, ItClosesWhenItsMessageLeavesTheBuffer) {
    QPointer<QDialog> sheet = open({0x20903C40});
    const QAccessible::Id row = QAccessible::uniqueId(QAccessible::queryAccessibleInterface(
        static_cast<BreakdownSheet*>(sheet.data())->rows().front()));
    w.view->midiManager().clearMessages();
    w.queue.drain();
    EXPECT_TRUE(test::gone(sheet));
    EXPECT_EQ(w.view->inspectedMessage(), nullptr);
    EXPECT_EQ(QAccessible::accessibleInterface(row), nullptr) << "no interface outlives its row";
}

} // namespace
} // namespace umbrascope
