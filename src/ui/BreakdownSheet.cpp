#include "ui/BreakdownSheet.hpp"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>
#include <algorithm>

#include "breakdown/BreakdownRows.hpp"
#include "ui/FieldRowView.hpp"
#include "ui/QtText.hpp"
#include "ui/ReadAloudButton.hpp"
#include "ui/SheetStyle.hpp"
#include "ui/TypeColors.hpp"

namespace umbrascope {

BreakdownSheet::BreakdownSheet(ContentView& view, const MIDIMessage& message, QWidget* window)
    : SheetDialog(window, QStringLiteral("Message Fields"), sheetSize), view_(view),
      message_(message) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* titles = new QWidget(this);
    auto* titleColumn = new QVBoxLayout(titles);
    titleColumn->setContentsMargins(0, 0, 0, 0);
    titleColumn->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("Message Fields"), titles);
    title->setFont(sheet::headlineFont(font()));
    titleColumn->addWidget(title);
    hex_ = new QLabel(toQString(hexString(message_)), titles);
    hex_->setObjectName(QStringLiteral("hexWords"));
    hex_->setFont(sheet::monospacedFont(font()));
    QPalette hexPalette = hex_->palette();
    hexPalette.setColor(QPalette::WindowText, typeColor(message_.messageType));
    hex_->setPalette(hexPalette);
    titleColumn->addWidget(hex_);
    // In the style of the rows, as the reading says it.
    arrival_ = sheet::secondaryLabel(toQString(view_.arrivalTimes().sentence(message_)),
                                     sheet::captionFont(font()), titles);
    arrival_->setObjectName(QStringLiteral("arrivalTime"));
    titleColumn->addWidget(arrival_);
    close_ = addHeader(layout, titles, QStringLiteral("Close"));
    layout->addWidget(sheet::divider(this));

    area_ = new QScrollArea(this);
    area_->setFrameShape(QFrame::NoFrame);
    area_->setFocusPolicy(Qt::NoFocus); // the rows are the stops
    area_->setWidgetResizable(true);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* list = new FieldList;
    list->setObjectName(QStringLiteral("fieldList"));
    list->setAccessibleName(QStringLiteral("Fields")); // else a screen reader says only "list"
    auto* column = new QVBoxLayout(list);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (const FieldRow& row : breakdownRows(message_)) {
        rows_.push_back(new FieldRowView(row, 0, message_.messageType, list));
        column->addWidget(rows_.back());
        for (const FieldRow& sub : row.subRows) {
            rows_.push_back(new FieldRowView(sub, 1, message_.messageType, list));
            column->addWidget(rows_.back());
        }
        column->addWidget(sheet::divider(list));
    }
    column->addStretch(1);
    int hexColumn = 0;
    for (const FieldRowView* row : rows_)
        if (row->depth() == 0) hexColumn = std::max(hexColumn, row->naturalHexWidth());
    for (FieldRowView* row : rows_)
        row->setHexColumnWidth(hexColumn);
    area_->setWidget(list);
    layout->addWidget(area_, 1);
    layout->addWidget(sheet::divider(this));

    auto* footer = new QWidget(this);
    auto* footerRow = new QHBoxLayout(footer);
    footerRow->setContentsMargins(16, 10, 16, 10);
    read_ = new ReadAloudButton(
        QStringLiteral("Read More Aloud"),
        QStringLiteral("Starts or stops reading this message's field breakdown aloud"),
        view_.speechAnnouncer(), footer);
    connect(read_, &QPushButton::clicked, this, [this] { view_.toggleBreakdownReading(); });
    footerRow->addWidget(read_);
    footerRow->addStretch(1);
    layout->addWidget(footer);

    // The header first, then every row, then the footer.
    QWidget* previous = close_;
    for (FieldRowView* row : rows_) {
        setTabOrder(previous, row);
        previous = row;
    }
    setTabOrder(previous, read_);
    if (!rows_.empty())
        rows_.front()->setFocus();
    else
        read_->setFocus();
}

} // namespace umbrascope
