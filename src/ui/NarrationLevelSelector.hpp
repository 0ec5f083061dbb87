#pragma once

#include <QWidget>
#include <array>

#include "text/TTSLevel.hpp"

class QRadioButton;

namespace umbrascope {

// The narration level as three radio buttons in a group named for screen readers; the focus goes
// to the button of the level that is on, which a screen reader reads with its state, and the
// arrows choose the neighbouring level.
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

private:
    TTSLevel level_ = TTSLevel::off;
    std::array<QRadioButton*, allTTSLevels.size()> buttons_{};
};

} // namespace umbrascope
