#pragma once

#include <QWidget>
#include <array>

#include "text/TTSLevel.hpp"

class QRadioButton;

namespace umbrascope {

// The narration level as three radio buttons in one focus stop, read by screen readers as one
// group. Left and Right choose the neighbouring level while it has the focus.
class NarrationLevelSelector final : public QWidget {
    Q_OBJECT
public:
    explicit NarrationLevelSelector(QWidget* parent = nullptr);

    // Shows the level without reporting it.
    void setLevel(TTSLevel level);
    TTSLevel level() const { return level_; }
    QRadioButton* button(TTSLevel level) const;

signals:
    // The user picked a level, also the one already shown (it is spoken again).
    void levelChosen(TTSLevel level);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    TTSLevel level_ = TTSLevel::off;
    std::array<QRadioButton*, allTTSLevels.size()> buttons_{};
};

} // namespace umbrascope
