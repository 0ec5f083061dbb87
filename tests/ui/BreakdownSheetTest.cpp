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
    EXPECT_EQ(sheet->hexLabel()->text(), QStringLiteral("40903C11  8000E0C9"));
    EXPECT_EQ(sheet->hexLabel()->palette().color(QPalette::WindowText),
              typeColor(UMPMessageType::midi2ChannelVoice));

    const auto& rows = sheet->rows();
    ASSERT_EQ(rows.size(), 14u) << "8 fields, the attribute data's 6 sub-fields";
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(rows[0]->parentWidget());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->childCount(), 14) << "dividers are not items";
    const auto name = [&](std::size_t row) {
        return QAccessible::queryAccessibleInterface(rows[row])->text(QAccessible::Name);
    };
    EXPECT_EQ(name(0),
              QStringLiteral("4, 4 bits, Message Type = 4, MIDI 2.0 Channel Voice Message"));
    EXPECT_EQ(name(12), QStringLiteral("1 bit, Reset Round Robin = 1 True"));

    const int width = rows[0]->width();
    const FieldRowView::Columns first = rows[0]->columns(width);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(name(i).toStdString());
        QAccessibleInterface* item = QAccessible::queryAccessibleInterface(rows[i]);
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->childCount(), 0);
        EXPECT_EQ(list->indexOfChild(item), static_cast<int>(i));
        const FieldRowView::Columns c = rows[i]->columns(width);
        EXPECT_GE(c.bits.width(), FieldRowView::bitsMinimumWidth);
        EXPECT_EQ(rows[i]->depth(), i < 8 ? 0 : 1);
        if (rows[i]->depth() == 0) {
            EXPECT_GE(c.hex.width(), FieldRowView::hexMinimumWidth);
            EXPECT_EQ(c.label.left(), first.label.left()) << "labels line up";
        } else {
            EXPECT_EQ(c.hex.left(), first.hex.left() + FieldRowView::indentPerDepth);
            EXPECT_EQ(c.hex.width(), 0) << "sub-rows have no hex digits";
        }
    }
    // The attribute type, the longest label, wraps instead of scrolling sideways.
    EXPECT_LE(rows[5]->width(), sheet->rowsArea()->viewport()->width());
    EXPECT_GT(rows[5]->heightForWidth(300), rows[5]->heightForWidth(2000));
}

TEST_F(BreakdownSheetTest, TheReadingButtonSpeaksInTheSourceVoiceAndFollowsTheAnnouncer) {
    w.view->speechAnnouncer().setVoiceForSource(SheetWindow::keysID, "v-amy");
    BreakdownSheet* sheet = open({0x20903C40});
    ReadAloudButton* read = sheet->readButton();

    test::press(Qt::Key_Return); // on the first row
    w.queue.drain();
    EXPECT_TRUE(w.spoken().empty()) << "Enter on a row reads nothing";
    read->setFocus();
    test::press(Qt::Key_Space);
    w.queue.drain();
    ASSERT_EQ(w.spoken(), std::vector<std::string>{noteOnReading});
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, std::optional<std::string>("v-amy"));
    w.report(SpeechReport::started);
    EXPECT_EQ(read->text(), QStringLiteral("Stop Reading"));
    w.report(SpeechReport::finished);
    EXPECT_EQ(read->text(), QStringLiteral("Read More Aloud")) << "ended by itself";

    w.speak("Note On C4");
    EXPECT_EQ(read->text(), QStringLiteral("Stop Reading")) << "whoever speaks";
    test::press(Qt::Key_Space);
    w.queue.drain();
    EXPECT_EQ(w.spoken().size(), 2u) << "stops the other speech instead of reading";
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking());
}

TEST_F(BreakdownSheetTest, ClosingItAnyWayStopsSpeechAndEndsTheInspection) {
    const struct {
        const char* name;
        void (*close)(BreakdownSheet*);
    } ways[] = {
        {"closeButton", [](BreakdownSheet* s) { s->closeButton()->click(); }},
        {"escape", [](BreakdownSheet*) { test::press(Qt::Key_Escape); }},
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
    test::type('m');
    ASSERT_EQ(w.spoken(), std::vector<std::string>{noteOnReading});
    w.report(SpeechReport::started);
    test::type('m');
    EXPECT_FALSE(w.view->speechAnnouncer().isSpeaking()) << "M again stops";
    EXPECT_EQ(w.spoken().size(), 1u);

    QPointer<QDialog> closing = sheet;
    test::press(Qt::Key_Escape);
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
