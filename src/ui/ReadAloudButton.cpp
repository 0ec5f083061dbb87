#include "ui/ReadAloudButton.hpp"

#include <QStyle>

namespace umbrascope {

ReadAloudButton::ReadAloudButton(const QString& readLabel, const QString& hint,
                                 SpeechAnnouncer& announcer, QWidget* parent)
    : QPushButton(parent), readLabel_(readLabel), announcer_(announcer) {
    setAccessibleDescription(hint);
    subscription_ = announcer_.observers().subscribe([this](SpeechAnnouncerProperty property) {
        if (property == SpeechAnnouncerProperty::isSpeaking) refresh();
    });
    refresh();
}

void ReadAloudButton::refresh() {
    const bool speaking = announcer_.isSpeaking();
    setText(speaking ? QString::fromLatin1(stopLabel) : readLabel_);
    setIcon(style()->standardIcon(speaking ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
}

} // namespace umbrascope
