#pragma once

#include <QPointer>
#include <cstdint>
#include <vector>

#include "app/ContentView.hpp"
#include "ui/SheetDialog.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace umbrascope {

class PanSlider;

// Per MIDI source: whether it is received, the voice that speaks it and the stereo position of
// its clicks, each with a test. Every control reads and writes the services at once; nothing is
// kept here or stored. Follows the source list while open. The view must outlive the sheet.
class DeviceSettingsSheet final : public SheetDialog {
    Q_OBJECT
public:
    static constexpr QSize sheetSize{560, 420};
    static constexpr const char* systemDefaultVoice = "system-default";

    struct SourceRow {
        std::int32_t id = 0;
        QString name;
        QCheckBox* enabled = nullptr;
        QComboBox* voice = nullptr;
        QPushButton* testVoice = nullptr;
        PanSlider* pan = nullptr;
        QPushButton* testClick = nullptr;
    };

    DeviceSettingsSheet(ContentView& view, QWidget* window);

    QPushButton* closeButton() const { return close_; }
    const std::vector<SourceRow>& sourceRows() const { return rows_; }
    // "No MIDI sources found", shown instead of the rows when there are none.
    QLabel* emptyLabel() const { return empty_; }

    // A voice picker entry: "name (language)".
    static QString voiceEntry(const Voice& voice);

private:
    void rebuild();
    QWidget* makeRow(const MIDISourceInfo& source, QWidget* parent);
    void refreshEnabled();
    void refreshVoices();
    void refillVoices();
    void chooseVoice(const SourceRow& row, int index);
    void setTabOrder();

    ContentView& view_;
    QVBoxLayout* layout_ = nullptr;
    QPushButton* close_ = nullptr;
    QPointer<QWidget> content_;
    QLabel* empty_ = nullptr;
    std::vector<MIDISourceInfo> shown_;
    std::vector<SourceRow> rows_;
    ObserverList<MIDIManagerProperty>::Subscription managerSubscription_;
    ObserverList<SpeechAnnouncerProperty>::Subscription announcerSubscription_;
};

} // namespace umbrascope
