#include "ui/NarrationLevelSelector.hpp"

#include <QHBoxLayout>
#include <QRadioButton>

#include "ui/AccessibleViews.hpp"

namespace umbrascope {

namespace {

std::size_t indexOf(TTSLevel level) {
    for (std::size_t i = 0; i < allTTSLevels.size(); ++i)
        if (allTTSLevels[i] == level) return i;
    return 0;
}

} // namespace

NarrationLevelSelector::NarrationLevelSelector(QWidget* parent) : QWidget(parent) {
    installAccessibleViews();
    setAccessibleName(QStringLiteral("Speech narration level"));
    setAccessibleDescription(QStringLiteral("Keyboard shortcut T cycles through levels"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(10);
    for (std::size_t i = 0; i < allTTSLevels.size(); ++i) {
        const TTSLevel level = allTTSLevels[i];
        const std::string_view raw = rawValue(level);
        auto* button = new QRadioButton(
            QString::fromUtf8(raw.data(), static_cast<qsizetype>(raw.size())), this);
        button->setChecked(level == level_);
        connect(button, &QRadioButton::clicked, this, [this, level] {
            setLevel(level);
            emit levelChosen(level);
        });
        buttons_[i] = button;
        layout->addWidget(button);
    }
    setLevel(level_);
}

QRadioButton* NarrationLevelSelector::button(TTSLevel level) const {
    return buttons_[indexOf(level)];
}

// One stop in the Tab order, on the level that is on, as radio groups have; the arrows move
// between the levels and choose them (Qt's radio buttons do both).
void NarrationLevelSelector::setLevel(TTSLevel level) {
    level_ = level;
    for (std::size_t i = 0; i < allTTSLevels.size(); ++i) {
        const bool on = allTTSLevels[i] == level;
        buttons_[i]->setChecked(on);
        buttons_[i]->setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
    }
    setFocusProxy(button(level));
}

} // namespace umbrascope
