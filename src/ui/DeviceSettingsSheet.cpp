#include "ui/DeviceSettingsSheet.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <array>
#include <optional>
#include <utility>

#include "ui/PanSlider.hpp"
#include "ui/QtText.hpp"
#include "ui/SheetStyle.hpp"

namespace umbrascope {

namespace {

// A device's name as a button label: an ampersand is a character, not a shortcut marker.
QString literalLabel(QString text) {
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// In Tab order.
std::array<QWidget*, 5> controlsOf(const DeviceSettingsSheet::SourceRow& row) {
    return {row.enabled, row.voice, row.testVoice, row.pan, row.testClick};
}

QPushButton* smallButton(const QString& text, const QString& hint, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFont(sheet::captionFont(button->font()));
    button->setAccessibleDescription(hint);
    return button;
}

void fillPicker(QComboBox* picker, const std::vector<Voice>& voices) {
    for (const Voice& voice : voices)
        picker->addItem(DeviceSettingsSheet::voiceEntry(voice), toQString(voice.identifier));
}

} // namespace

QString DeviceSettingsSheet::voiceEntry(const Voice& voice) {
    return toQString(voice.name) + QStringLiteral(" (") + toQString(voice.language) +
           QLatin1Char(')');
}

DeviceSettingsSheet::DeviceSettingsSheet(ContentView& view, QWidget* window)
    : SheetDialog(window, QStringLiteral("Devices"), sheetSize), view_(view) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(0);

    auto* titles = new QWidget(this);
    auto* titleColumn = new QVBoxLayout(titles);
    titleColumn->setContentsMargins(0, 0, 0, 0);
    titleColumn->setSpacing(2);
    auto* title = new QLabel(QStringLiteral("Devices"), titles);
    title->setFont(sheet::headlineFont(font()));
    titleColumn->addWidget(title);
    auto* caption = sheet::secondaryLabel(
        QStringLiteral("Choose which MIDI sources are received, which voice speaks each one's "
                       "messages, and where each one's click sounds sit in the stereo field."),
        sheet::captionFont(font()), titles);
    caption->setObjectName(QStringLiteral("devicesCaption"));
    caption->setWordWrap(true);
    titleColumn->addWidget(caption);
    close_ = addHeader(layout_, titles, QStringLiteral("Close"));
    layout_->addWidget(sheet::divider(this));

    rebuild();

    managerSubscription_ =
        view_.midiManager().observers().subscribe([this](MIDIManagerProperty property) {
            if (property == MIDIManagerProperty::availableSources) rebuild();
            if (property == MIDIManagerProperty::enabledSourceIDs) refreshEnabled();
        });
    announcerSubscription_ =
        view_.speechAnnouncer().observers().subscribe([this](SpeechAnnouncerProperty property) {
            if (property == SpeechAnnouncerProperty::voiceForSource) refreshVoices();
            if (property == SpeechAnnouncerProperty::availableVoices) refillVoices();
        });
}

void DeviceSettingsSheet::rebuild() {
    const std::vector<MIDISourceInfo>& sources = view_.midiManager().availableSources();
    const bool firstBuild = !content_;
    if (!firstBuild && sources == shown_) return;

    // A control in focus keeps it across the rebuild: the same control of the same source.
    std::optional<std::pair<std::int32_t, std::size_t>> focused;
    for (const SourceRow& row : rows_) {
        const auto controls = controlsOf(row);
        for (std::size_t i = 0; i < controls.size(); ++i)
            if (controls[i]->hasFocus()) focused = {row.id, i};
    }

    shown_ = sources;
    rows_.clear();
    empty_ = nullptr;
    if (content_) {
        // Later: a change may be told from inside a handler of one of its controls.
        layout_->removeWidget(content_);
        content_->hide();
        content_->deleteLater();
    }
    if (sources.empty()) {
        // Without MIDI input an empty list is no finding: say why instead.
        const QString text = view_.midiNotice().empty()
                                 ? QStringLiteral("No MIDI sources found")
                                 : QString::fromStdString(view_.midiNotice());
        empty_ = sheet::secondaryLabel(text, font(), this);
        empty_->setAlignment(Qt::AlignCenter);
        content_ = empty_;
    } else {
        auto* area = new QScrollArea(this);
        area->setFrameShape(QFrame::NoFrame);
        area->setFocusPolicy(Qt::NoFocus); // the controls are the stops
        area->setWidgetResizable(true);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        auto* list = new QWidget;
        auto* column = new QVBoxLayout(list);
        column->setContentsMargins(0, 0, 0, 0);
        column->setSpacing(0);
        for (const MIDISourceInfo& source : sources) {
            column->addWidget(makeRow(source, list));
            column->addWidget(sheet::divider(list));
        }
        column->addStretch(1);
        area->setWidget(list);
        content_ = area;
    }
    layout_->addWidget(content_, 1);
    setTabOrder();
    refreshEnabled();
    refreshVoices();

    if (!firstBuild && !focused) return; // the focus was elsewhere (Close) and stays there
    QWidget* focus = rows_.empty() ? static_cast<QWidget*>(close_) : rows_.front().enabled;
    for (const SourceRow& row : rows_)
        if (focused && row.id == focused->first) focus = controlsOf(row)[focused->second];
    focus->setFocus();
}

QWidget* DeviceSettingsSheet::makeRow(const MIDISourceInfo& source, QWidget* parent) {
    SourceRow row;
    row.id = source.id;
    row.name = toQString(source.name);
    const std::int32_t id = source.id;

    auto* widget = new QWidget(parent);
    auto* column = new QVBoxLayout(widget);
    column->setContentsMargins(16, 10, 16, 10);
    column->setSpacing(8);

    row.enabled = new QCheckBox(literalLabel(row.name), widget);
    row.enabled->setAccessibleDescription(
        QStringLiteral("Turns receiving messages from this device on or off"));
    connect(row.enabled, &QCheckBox::toggled, this,
            [this, id](bool on) { view_.midiManager().setSourceEnabled(id, on); });
    column->addWidget(row.enabled, 0, Qt::AlignLeft);

    const QFont caption = sheet::captionFont(font());
    auto* voiceLine = new QHBoxLayout;
    voiceLine->setSpacing(8);
    auto* voiceLabel = sheet::secondaryLabel(QStringLiteral("Voice"), caption, widget);
    row.voice = new QComboBox(widget);
    row.voice->setFixedWidth(280);
    row.voice->setAccessibleName(QStringLiteral("Voice"));
    voiceLabel->setBuddy(row.voice);
    row.voice->addItem(QStringLiteral("System Default"), QString::fromLatin1(systemDefaultVoice));
    fillPicker(row.voice, view_.speechAnnouncer().availableVoices());
    row.testVoice = smallButton(
        QStringLiteral("Test"),
        QStringLiteral("Speaks a short sample using this device's selected voice"), widget);
    // Every row has its two "Test" buttons: a screen reader tells them apart by these names.
    row.testVoice->setAccessibleName(QStringLiteral("Test voice for ") + row.name);
    const std::string sample = "This is " + source.name + ".";
    connect(row.testVoice, &QPushButton::clicked, this,
            [this, sample, id] { view_.speechAnnouncer().speakNow(sample, id); });
    voiceLine->addWidget(voiceLabel);
    voiceLine->addWidget(row.voice);
    voiceLine->addWidget(row.testVoice);
    voiceLine->addStretch(1);
    column->addLayout(voiceLine);

    auto* panLine = new QHBoxLayout;
    panLine->setSpacing(8);
    const QFont caption2 = sheet::caption2Font(font());
    auto* panLabel = sheet::secondaryLabel(QStringLiteral("Pan"), caption, widget);
    auto* left = sheet::secondaryLabel(QStringLiteral("L"), caption2, widget);
    auto* right = sheet::secondaryLabel(QStringLiteral("R"), caption2, widget);
    row.pan = new PanSlider(widget);
    row.pan->setFixedWidth(220);
    row.pan->setAccessibleName(QStringLiteral("Stereo pan for %1's click sounds").arg(row.name));
    row.pan->setPan(view_.clickPlayer().pan(id));
    connect(row.pan, &PanSlider::panMoved, this,
            [this, id](float pan) { view_.clickPlayer().setPan(id, pan); });
    row.testClick = smallButton(
        QStringLiteral("Test"),
        QStringLiteral("Plays a click from this device's current pan position"), widget);
    row.testClick->setAccessibleName(QStringLiteral("Test click for ") + row.name);
    connect(row.testClick, &QPushButton::clicked, this,
            [this, id] { view_.clickPlayer().playTick(id); });
    panLine->addWidget(panLabel);
    panLine->addWidget(left);
    panLine->addWidget(row.pan);
    panLine->addWidget(right);
    panLine->addWidget(row.testClick);
    panLine->addStretch(1);
    column->addLayout(panLine);

    const std::size_t index = rows_.size();
    connect(row.voice, &QComboBox::activated, this,
            [this, index](int entry) { chooseVoice(rows_[index], entry); });
    rows_.push_back(row);
    return widget;
}

void DeviceSettingsSheet::setTabOrder() {
    QWidget* previous = close_;
    for (const SourceRow& row : rows_)
        for (QWidget* control : controlsOf(row)) {
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
}

void DeviceSettingsSheet::refreshEnabled() {
    const auto& enabled = view_.midiManager().enabledSourceIDs();
    for (const SourceRow& row : rows_) {
        const QSignalBlocker blocker(row.enabled);
        row.enabled->setChecked(enabled.contains(row.id));
    }
}

void DeviceSettingsSheet::refreshVoices() {
    const auto& voices = view_.speechAnnouncer().voiceForSource();
    for (const SourceRow& row : rows_) {
        const auto found = voices.find(row.id);
        // A stored voice that is not listed leaves the picker without a choice; the announcer
        // keeps using it.
        const QString value = found == voices.end() ? QString::fromLatin1(systemDefaultVoice)
                                                    : toQString(found->second);
        const QSignalBlocker blocker(row.voice);
        row.voice->setCurrentIndex(row.voice->findData(value));
    }
}

// The list can arrive while the sheet is open (a daemon lists its voices slowly). The pickers
// stay where they are, so the focus does too; each choice is the announcer's, as before.
void DeviceSettingsSheet::refillVoices() {
    const std::vector<Voice> voices = view_.speechAnnouncer().availableVoices();
    for (const SourceRow& row : rows_) {
        const QSignalBlocker blocker(row.voice);
        while (row.voice->count() > 1) // after System Default
            row.voice->removeItem(row.voice->count() - 1);
        fillPicker(row.voice, voices);
    }
    refreshVoices();
}

void DeviceSettingsSheet::chooseVoice(const SourceRow& row, int index) {
    const QString value = row.voice->itemData(index).toString();
    if (value == QLatin1String(systemDefaultVoice))
        view_.speechAnnouncer().setVoiceForSource(row.id, std::nullopt);
    else
        view_.speechAnnouncer().setVoiceForSource(row.id, value.toStdString());
}

} // namespace umbrascope
