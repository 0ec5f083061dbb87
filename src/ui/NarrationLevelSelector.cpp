#include "ui/NarrationLevelSelector.hpp"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QRadioButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

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
    setFocusPolicy(Qt::StrongFocus);
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
        button->setFocusPolicy(Qt::NoFocus);
        button->setChecked(level == level_);
        connect(button, &QRadioButton::clicked, this, [this, level] {
            setLevel(level);
            emit levelChosen(level);
        });
        buttons_[i] = button;
        layout->addWidget(button);
    }
}

QRadioButton* NarrationLevelSelector::button(TTSLevel level) const {
    return buttons_[indexOf(level)];
}

void NarrationLevelSelector::setLevel(TTSLevel level) {
    level_ = level;
    for (std::size_t i = 0; i < allTTSLevels.size(); ++i)
        buttons_[i]->setChecked(allTTSLevels[i] == level);
}

void NarrationLevelSelector::keyPressEvent(QKeyEvent* event) {
    const std::size_t i = indexOf(level_);
    std::size_t next = i;
    if (event->key() == Qt::Key_Left && i > 0) next = i - 1;
    if (event->key() == Qt::Key_Right && i + 1 < allTTSLevels.size()) next = i + 1;
    if (event->key() != Qt::Key_Left && event->key() != Qt::Key_Right) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (next != i) {
        setLevel(allTTSLevels[next]);
        emit levelChosen(allTTSLevels[next]);
    }
    event->accept();
}

void NarrationLevelSelector::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void NarrationLevelSelector::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

void NarrationLevelSelector::paintEvent(QPaintEvent*) {
    if (!hasFocus()) return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

} // namespace umbrascope
