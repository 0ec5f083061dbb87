#pragma once

#include <QPushButton>

#include "audio/SpeechAnnouncer.hpp"

namespace umbrascope {

// The read-aloud button of a sheet. It follows the announcer, whoever made it speak: "Stop
// Reading" with a stop symbol while anything is being said, else its own label with a play
// symbol. What a press does is its owner's. The announcer must outlive the button; main thread.
class ReadAloudButton final : public QPushButton {
    Q_OBJECT
public:
    static constexpr const char* stopLabel = "Stop Reading";

    ReadAloudButton(const QString& readLabel, const QString& hint, SpeechAnnouncer& announcer,
                    QWidget* parent = nullptr);

private:
    void refresh();

    QString readLabel_;
    SpeechAnnouncer& announcer_;
    ObserverList<SpeechAnnouncerProperty>::Subscription subscription_;
};

} // namespace umbrascope
