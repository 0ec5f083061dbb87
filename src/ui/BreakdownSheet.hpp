#pragma once

#include <vector>

#include "app/ContentView.hpp"
#include "ui/SheetDialog.hpp"

class QLabel;
class QPushButton;
class QScrollArea;

namespace umbrascope {

class FieldRowView;
class ReadAloudButton;

// The field breakdown of one message: its hex words in the type's colour, when it arrived, the rows
// and sub-rows of its breakdown, and the button that reads them aloud in the source's voice. It
// shows a copy of the message it was opened with. The view must outlive the sheet.
class BreakdownSheet final : public SheetDialog {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{500, 480};

    BreakdownSheet(ContentView& view, const MIDIMessage& message, QWidget* window);

    const MIDIMessage& message() const { return message_; }
    QLabel* hexLabel() const { return hex_; }
    QLabel* arrivalLabel() const { return arrival_; }
    QPushButton* closeButton() const { return close_; }
    QScrollArea* rowsArea() const { return area_; }
    // Rows and sub-rows in reading order.
    const std::vector<FieldRowView*>& rows() const { return rows_; }
    ReadAloudButton* readButton() const { return read_; }

private:
    ContentView& view_;
    MIDIMessage message_;
    QLabel* hex_ = nullptr;
    QLabel* arrival_ = nullptr;
    QPushButton* close_ = nullptr;
    QScrollArea* area_ = nullptr;
    std::vector<FieldRowView*> rows_;
    ReadAloudButton* read_ = nullptr;
};

} // namespace umbrascope
