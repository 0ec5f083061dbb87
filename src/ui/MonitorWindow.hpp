#pragma once

#include <QMainWindow>
#include <QPointer>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/AddressChoice.hpp"
#include "app/ArrivalTimes.hpp"
#include "app/CopyText.hpp"
#include "app/SettingSwitches.hpp"
#include "model/UMPMessageType.hpp"
#include "text/TTSLevel.hpp"
#include "ui/AboutDialog.hpp"
#include "ui/KeyRouter.hpp"

class QAction;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

namespace umbrascope {

class FrameCoalescer;
class MessageListModel;
class MessageListView;
class NarrationLevelSelector;
class RowSource;
class TextBlock;

// The monitor window as a plain view: setters for everything it shows, signals for everything the
// user does; it holds no monitor state of its own. The list shows a RowSource whose changes its
// owner reports to messageModel(). Setters never emit the user signals. Main thread only.
class MonitorWindow final : public QMainWindow {
    Q_OBJECT
public:
    explicit MonitorWindow(QWidget* parent = nullptr);
    ~MonitorWindow() override;

    // Header.
    void setVersionText(const QString& text);
    void setConnectedSources(const QStringList& names);
    // What the header says while there are no sources.
    void setNoSourcesText(const QString& text);
    // Shown within a frame, however often it is set.
    void setMessageCount(qsizetype count);
    void setBufferSize(int size);
    void setExportEnabled(bool enabled);
    // The Pause button's label, and "Paused, 1,204 new" in the header and at the head of the
    // notice strip while paused, shown within a frame however often it is set.
    void setPaused(bool paused, const QString& pausedText);

    // Legend, filters and speech row.
    void setTypeShown(UMPMessageType type, bool shown);
    void setSwitch(SettingSwitch setting, bool on);
    // 0-based; none is the first choice, "All channels" or "All groups".
    void setAddressChoice(AddressField field, std::optional<std::uint8_t> value);
    void setNarrationLevel(TTSLevel level);
    void setRateRange(float minimum, float maximum);
    void setRate(float rate);
    void setVolume(float volume);

    // List and badges.
    void setRowSource(const RowSource* source);
    MessageListModel& messageModel() const;
    MessageListView& messageList() const { return *list_; }
    void setIdle(bool idle);
    void setBufferFull(bool full);
    // The View menu's choice; the rows' time texts come from the row source.
    void setTimeStyle(TimeStyle style);
    // A strip below the list, hidden while empty and while not paused.
    void setNotice(const QString& text);
    void scrollToEnd(bool animated);

    // The key commands of this window and its dialogs.
    void setKeyHandler(KeyHandler handler);

    void showAbout();

signals:
    void bufferSizeChosen(int size);
    void devicesClicked();
    void exportClicked();
    void clearClicked();
    void pauseClicked();
    void timeStyleChosen(TimeStyle style);
    void userGuideClicked();
    void typeShownToggled(UMPMessageType type, bool shown);
    void switchToggled(SettingSwitch setting, bool on);
    // `value` 0 to 15, or -1 for all; also when the choice shown is picked again.
    void addressChosen(AddressField field, int value);
    // The Edit menu's copy commands and their shortcuts.
    void copyRequested(CopyKind kind);
    // Also when the level shown is picked again.
    void narrationLevelChosen(TTSLevel level);
    void rateMoved(float rate);
    void volumeMoved(float volume);
    void moreRequested(int row);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildHeader();
    QWidget* buildLegend();
    QWidget* buildFilters();
    void addAddressPickers(QWidget* parent, QBoxLayout* layout);
    void buildEditMenu();
    QWidget* buildSpeechRow();
    QWidget* buildColumnHeader();
    QWidget* buildListArea();
    QWidget* buildNotice();
    QWidget* buildBottomBar();
    void buildViewMenu();
    void addSwitches(SwitchRow row, QWidget* parent, QBoxLayout* layout);
    void refreshTitleBlock();
    void refreshCount();
    void refreshNotice();
    void layoutLegend();
    void placeBadges();
    void applyColors();

    QString versionText_ = QStringLiteral("v0 (0)");
    QStringList sources_;
    QString noSourcesText_ = QStringLiteral("No MIDI sources found");
    qsizetype count_ = 0;
    QString pausedText_; // empty while not paused
    QString noticeText_;
    float rateMinimum_ = 0.0f;
    float rateMaximum_ = 1.0f;
    bool shownOnce_ = false;

    TextBlock* titleBlock_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QComboBox* bufferPicker_ = nullptr;
    QPushButton* devicesButton_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    QPushButton* clearButton_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    std::array<QAction*, timeStyles.size()> timeStyleActions_{};
    QWidget* legend_ = nullptr;
    std::array<QCheckBox*, legendOrder.size()> legendBoxes_{};
    std::array<QCheckBox*, settingSwitchCount> switchBoxes_{};
    std::array<QComboBox*, addressFieldCount> addressPickers_{};
    NarrationLevelSelector* narration_ = nullptr;
    QSlider* rateSlider_ = nullptr;
    QSlider* volumeSlider_ = nullptr;
    std::vector<QLabel*> scaleLabels_; // slow, fast, soft, loud
    QWidget* listArea_ = nullptr;
    MessageListView* list_ = nullptr;
    TextBlock* idleBadge_ = nullptr;
    TextBlock* fullBadge_ = nullptr;
    QPushButton* guideButton_ = nullptr;
    QLabel* notice_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QPointer<AboutDialog> about_;
    FrameCoalescer* countUpdate_ = nullptr;
};

} // namespace umbrascope
