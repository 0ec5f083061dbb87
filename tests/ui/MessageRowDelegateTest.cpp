#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <gtest/gtest.h>

#include "UiTestSupport.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MessageRowDelegate.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {
namespace {

// Rows of glyph pixels close to a colour, within a horizontal band of the image.
QList<int> rowsWithColour(const QImage& image, QRect band, const QColor& colour) {
    QList<int> rows;
    band = band.intersected(image.rect());
    for (int y = band.top(); y <= band.bottom(); ++y) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (std::abs(pixel.red() - colour.red()) < 24 &&
                std::abs(pixel.green() - colour.green()) < 24 &&
                std::abs(pixel.blue() - colour.blue()) < 24) {
                rows << y;
                break;
            }
        }
    }
    return rows;
}

QColor over(const QColor& colour, double opacity, const QColor& background) {
    const auto mix = [&](double c, double b) {
        return static_cast<int>(c * opacity + b * (1 - opacity) + 0.5);
    };
    return QColor(mix(colour.red(), background.red()), mix(colour.green(), background.green()),
                  mix(colour.blue(), background.blue()));
}

struct RowCase {
    const char* name;
    std::initializer_list<std::uint32_t> words;
    UMPMessageType type;
};

TEST(MessageRowDelegate, HexInTheClassColourWithTheClassUnderIt) {
    const RowCase cases[] = {
        {"midi2NoteOn", {0x40903C00, 0xFFFF0000}, UMPMessageType::midi2ChannelVoice},
        {"unknownInRed", {0x60000000}, UMPMessageType::unknown},
        {"system", {0x10F80000}, UMPMessageType::system},
    };
    for (const RowCase& c : cases) {
        test::VectorRows rows;
        rows.messages.push_back(test::makeMessage(0, c.words));
        MessageListView view;
        view.resize(900, 200);
        view.messageModel().setSource(&rows);
        const QModelIndex index = view.model()->index(0, 0);
        QStyleOptionViewItem option;
        option.initFrom(&view);
        const TypePalette& palette = currentTypePalette();
        option.palette.setColor(QPalette::Text, Qt::black);
        const QSize size = view.rowDelegate().sizeHint(option, index);
        option.rect = QRect(QPoint(0, 0), size);
        QImage image(size, QImage::Format_RGB32);
        image.fill(palette.listBackground);
        {
            QPainter painter(&image);
            view.rowDelegate().paint(&painter, option, index);
        }
        const QColor colour = typeColor(c.type, palette);
        const QRect hexColumn(MessageRowDelegate::moreColumnWidth, 0,
                              MessageRowDelegate::hexColumnWidth, size.height());
        const QList<int> full = rowsWithColour(image, hexColumn, colour);
        const QList<int> faded =
            rowsWithColour(image, hexColumn, over(colour, 0.8, palette.listBackground));
        // The hex line ends where the monospaced line does; the class line is below it.
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(view.font().pointSizeF());
        const int hexBottom = MessageRowDelegate::verticalPadding + QFontMetrics(mono).height();
        ASSERT_FALSE(full.isEmpty()) << c.name << ": hex words in the class colour";
        EXPECT_LT(full.last(), hexBottom) << c.name << ": only the hex is at full colour";
        ASSERT_FALSE(faded.isEmpty()) << c.name;
        EXPECT_GE(faded.last(), hexBottom) << c.name << ": the class at 80 % under the hex";
        const QRect description(hexColumn.right() + 1, 0, size.width() - hexColumn.right() - 1,
                                size.height());
        EXPECT_TRUE(rowsWithColour(image, description, colour).isEmpty())
            << c.name << ": the description is not coloured by class";
        EXPECT_FALSE(rowsWithColour(image, description, palette.secondaryText).isEmpty())
            << c.name << ": the source in the secondary colour";
    }
}

// A burst brings far more rows than are ever shown: only painted rows are measured, so a long
// description makes its row taller once it is scrolled into view, not before.
TEST(MessageRowDelegate, RowsAreMeasuredWhenFirstPainted) {
    test::VectorRows rows;
    rows.add(300);
    rows.messages[0].description = std::string(400, 'x');
    MessageListView view;
    view.resize(900, 300);
    view.messageModel().setSource(&rows);
    view.scrollToEnd(false);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    const auto height = [&](int row) {
        return view.visualRect(view.model()->index(row, 0)).height();
    };
    const int oneLine = height(1);
    EXPECT_EQ(height(0), oneLine) << "not painted yet";
    view.verticalScrollBar()->setValue(0);
    EXPECT_TRUE(test::waitFor([&] { return height(0) > oneLine; }));
    EXPECT_EQ(height(1), oneLine);

    // A row that grows when first painted at the end keeps the list at its end.
    rows.add(1);
    rows.messages.back().description = std::string(400, 'x');
    view.messageModel().appended(1);
    view.scrollToEnd(false);
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_TRUE(test::waitFor([&] { return height(300) > oneLine; }));
    EXPECT_EQ(bar->value(), bar->maximum());
}

} // namespace
} // namespace umbrascope
