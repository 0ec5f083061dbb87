#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>
#include <vector>

namespace umbrascope {

// Lines of text, each of one or more styled pieces, painted top-down and read by screen readers
// as one element whose name is the lines joined by ", " (unless an accessible name is set). A line
// marked elided is cut at the end with an ellipsis when too long; the accessible name keeps it
// whole. With a background it is drawn as a rounded, translucent box (the list's status badges).
class TextBlock final : public QWidget {
    Q_OBJECT
public:
    struct Piece {
        QString text;
        QFont font;
        QColor color; // invalid: the palette's text colour
    };
    struct Line {
        std::vector<Piece> pieces;
        bool elided = false;
    };

    explicit TextBlock(QWidget* parent = nullptr);

    void setLines(std::vector<Line> lines);
    const std::vector<Line>& lines() const { return lines_; }
    // The lines as a screen reader reads them.
    QString combinedText() const;

    void setLineSpacing(int pixels);
    void setPieceSpacing(int pixels);
    void setCentered(bool centered);
    void setBadgeStyle(bool badge);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int lineHeight(const Line& line) const;
    int lineWidth(const Line& line) const;
    void refresh();

    std::vector<Line> lines_;
    int lineSpacing_ = 2;
    int pieceSpacing_ = 6;
    bool centered_ = false;
    bool badge_ = false;
};

} // namespace umbrascope
