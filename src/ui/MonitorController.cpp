#include "ui/MonitorController.hpp"

#include <QClipboard>
#include <QDialog>
#include <QEvent>
#include <QGuiApplication>
#include <QStringList>
#include <array>
#include <ranges>
#include <string_view>

#include "app/AppInfo.hpp"
#include "ui/MessageListModel.hpp"
#include "ui/MessageListView.hpp"
#include "ui/MonitorWindow.hpp"
#include "ui/Sheets.hpp"

namespace umbrascope {

SheetOpeners SheetOpeners::standard() {
    return {openBreakdownSheet, openDeviceSettingsSheet, openUserGuideSheet};
}

// The view's visible messages as the list's rows; it reads the view's list as it is now.
class MonitorController::VisibleRows final : public RowSource {
public:
    explicit VisibleRows(const ContentView& view) : view_(view) {}
    std::size_t rowCount() const override { return std::ranges::size(view_.visibleMessages()); }
    const MIDIMessage& message(std::size_t row) const override {
        return view_.visibleMessages()[static_cast<std::ptrdiff_t>(row)];
    }
    std::string timeText(const MIDIMessage& message) const override {
        return view_.arrivalTimes().text(message);
    }

private:
    const ContentView& view_;
};

MonitorController::MonitorController(ContentView& view, MonitorWindow& window, SheetOpeners sheets)
    : view_(view), window_(window), openers_(std::move(sheets)),
      rows_(std::make_unique<VisibleRows>(view)) {
    window_.setRowSource(rows_.get());
    showEverything();

    viewSubscription_ =
        view_.observers().subscribe([this](ContentViewProperty p) { viewChanged(p); });
    visibleSubscription_ = view_.visibleChanges().subscribe(
        [this](const VisibleChange& change) { visibleChanged(change); });
    scrollSubscription_ = view_.scrollRequests().subscribe(
        [this](ScrollRequest request) { window_.scrollToEnd(request.animated); });
    managerSubscription_ = view_.midiManager().observers().subscribe(
        [this](MIDIManagerProperty p) { managerChanged(p); });
    speechSubscription_ = view_.speechAnnouncer().observers().subscribe(
        [this](SpeechAnnouncerProperty p) { speechChanged(p); });
    bindWindowToView();

    window_.installEventFilter(this);
    if (window_.isVisible()) {
        appeared_ = true;
        view_.contentAppeared();
    }
    syncSheet();
}

MonitorController::~MonitorController() {
    window_.removeEventFilter(this);
    window_.setKeyHandler(nullptr);
    window_.setRowSource(nullptr);
}

void MonitorController::showEverything() {
    window_.setVersionText(QString::fromStdString(versionText()));
    showConnectedSources();
    showMessageCount();
    window_.setBufferSize(static_cast<int>(view_.midiManager().maxMessages()));
    window_.setBufferFull(view_.midiManager().isBufferFull());
    showHiddenTypes();
    showSwitches();
    showAddressChoices();
    window_.setNarrationLevel(view_.ttsLevel());
    SpeechAnnouncer& speech = view_.speechAnnouncer();
    window_.setRateRange(speech.synthesizer().minimumRate(), speech.synthesizer().maximumRate());
    window_.setRate(speech.rate());
    window_.setVolume(speech.volume());
    window_.setIdle(view_.isIdle());
    window_.setNotice(QString::fromStdString(view_.notice()));
    showPause();
    window_.setTimeStyle(view_.timeStyle());
    // Without MIDI input an empty list is no finding: the notice says why.
    if (!view_.midiNotice().empty()) window_.setNoSourcesText(QStringLiteral("No MIDI input"));
}

void MonitorController::bindWindowToView() {
    MIDIManager& manager = view_.midiManager();
    SpeechAnnouncer& speech = view_.speechAnnouncer();
    MonitorWindow* w = &window_;
    connect(w, &MonitorWindow::bufferSizeChosen, this,
            [&manager](int size) { manager.setMaxMessages(size); });
    connect(w, &MonitorWindow::devicesClicked, this, [this] { view_.openDeviceSettings(); });
    connect(w, &MonitorWindow::exportClicked, this, [this] { view_.requestExport(); });
    connect(w, &MonitorWindow::clearClicked, this, [&manager] { manager.clearMessages(); });
    connect(w, &MonitorWindow::pauseClicked, this, [this] { view_.togglePause(); });
    connect(w, &MonitorWindow::timeStyleChosen, this,
            [this](TimeStyle style) { view_.setTimeStyle(style); });
    connect(w, &MonitorWindow::userGuideClicked, this, [this] { view_.openUserGuide(); });
    connect(w, &MonitorWindow::typeShownToggled, this,
            [this](UMPMessageType type, bool shown) { view_.setTypeHidden(type, !shown); });
    connect(w, &MonitorWindow::switchToggled, this,
            [this](SettingSwitch setting, bool on) { entryFor(setting).set(view_, on); });
    connect(w, &MonitorWindow::addressChosen, this, [this](AddressField field, int value) {
        view_.setShownAddress(field, value < 0 ? std::nullopt
                                               : std::optional(static_cast<std::uint8_t>(value)));
    });
    connect(w, &MonitorWindow::copyRequested, this, [this](CopyKind kind) { copy(kind); });
    connect(w, &MonitorWindow::narrationLevelChosen, this,
            [this](TTSLevel level) { view_.chooseTTSLevel(level); });
    // The sliders are silent: only the keys announce a new rate or volume.
    connect(w, &MonitorWindow::rateMoved, this, [&speech](float rate) { speech.setRate(rate); });
    connect(w, &MonitorWindow::volumeMoved, this,
            [&speech](float volume) { speech.setVolume(volume); });
    connect(w, &MonitorWindow::moreRequested, this, [this](int row) {
        if (const MIDIMessage* message = window_.messageModel().messageAt(row))
            view_.openBreakdown(*message);
    });
    window_.setKeyHandler(
        [this](const WindowKey& key) { return view_.handleKey(key) == KeyResult::handled; });
}

bool MonitorController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && event->type() == QEvent::Show && !appeared_) {
        appeared_ = true;
        view_.contentAppeared();
    }
    return QObject::eventFilter(watched, event);
}

// --- From the view to the window -------------------------------------------------------------

void MonitorController::visibleChanged(const VisibleChange& change) {
    MessageListModel& model = window_.messageModel();
    if (change.reset) {
        model.reset();
        return;
    }
    model.removedFromFront(change.removed);
    model.appended(change.appended);
}

void MonitorController::viewChanged(ContentViewProperty property) {
    using P = ContentViewProperty;
    switch (property) {
    case P::clickOnMessage:
    case P::lastInterrupts:
        showSwitches();
        break;
    case P::ttsLevel:
        window_.setNarrationLevel(view_.ttsLevel());
        break;
    case P::isIdle:
        window_.setIdle(view_.isIdle());
        break;
    case P::sheet:
        syncSheet();
        break;
    case P::notice:
        window_.setNotice(QString::fromStdString(view_.notice()));
        break;
    case P::shownAddress:
        showAddressChoices();
        break;
    case P::paused:
        showPause();
        break;
    case P::timeStyle:
        window_.setTimeStyle(view_.timeStyle());
        break;
    }
}

void MonitorController::managerChanged(MIDIManagerProperty property) {
    using P = MIDIManagerProperty;
    MIDIManager& manager = view_.midiManager();
    switch (property) {
    case P::messages:
        showMessageCount();
        break;
    case P::isBufferFull:
        window_.setBufferFull(manager.isBufferFull());
        break;
    case P::maxMessages:
        window_.setBufferSize(static_cast<int>(manager.maxMessages()));
        break;
    case P::connectedSources:
        showConnectedSources();
        break;
    case P::hiddenMessageTypes:
        showHiddenTypes();
        break;
    case P::hideActiveSensing:
    case P::hideMidiClock:
    case P::onlyUMPSources:
    case P::midi1ProtocolOnly:
        showSwitches();
        break;
    default:
        break;
    }
}

void MonitorController::speechChanged(SpeechAnnouncerProperty property) {
    if (property == SpeechAnnouncerProperty::rate)
        window_.setRate(view_.speechAnnouncer().rate());
    else if (property == SpeechAnnouncerProperty::volume)
        window_.setVolume(view_.speechAnnouncer().volume());
}

// The count follows the held list while paused.
void MonitorController::showPause() {
    window_.setPaused(view_.isPaused(), QString::fromStdString(pausedText(view_.newWhilePaused())));
    showMessageCount();
}

void MonitorController::showMessageCount() {
    // The whole buffer, hidden messages included; while paused, the copy held.
    const std::size_t count = view_.listedMessages().size();
    window_.setMessageCount(static_cast<qsizetype>(count));
    window_.setExportEnabled(count > 0);
}

void MonitorController::showHiddenTypes() {
    const MessageTypeSet hidden = view_.midiManager().hiddenMessageTypes();
    for (const UMPMessageType type : legendOrder)
        window_.setTypeShown(type, !hidden.contains(type));
}

void MonitorController::showSwitches() {
    for (const SettingSwitchEntry& entry : settingSwitches)
        window_.setSwitch(entry.setting, entry.get(view_));
}

void MonitorController::showAddressChoices() {
    for (const AddressChoiceEntry& entry : addressChoices)
        window_.setAddressChoice(entry.field, view_.shownAddress(entry.field));
}

// The current row, or the selected rows, through Qt's clipboard (X11 and Wayland alike).
void MonitorController::copy(CopyKind kind) {
    const MessageListModel& model = window_.messageModel();
    std::vector<const MIDIMessage*> messages;
    for (const int row : window_.messageList().rowsToCopy())
        if (const MIDIMessage* message = model.messageAt(row)) messages.push_back(message);
    if (const auto text = view_.copyMessages(kind, messages))
        QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
}

void MonitorController::showConnectedSources() {
    QStringList names;
    for (const std::string& name : view_.midiManager().connectedSources())
        names << QString::fromStdString(name);
    window_.setConnectedSources(names);
}

// --- Sheets -------------------------------------------------------------------------------

// The one place where sheets open and close: the sheet in front follows the view's state.
void MonitorController::syncSheet() {
    // Closing a sheet may tell the view, which tells us again: the outer pass settles it.
    if (syncing_) return;
    syncing_ = true;
    const Sheet wanted = view_.openSheet();
    if (front_ && (wanted != sheetKind_ || inspectedID() != sheetMessage_))
        closeSheet(); // withdrawn, or replaced by a newer request
    if (!front_ && wanted != Sheet::none) openSheet(wanted);
    syncing_ = false;
}

std::optional<Identifier> MonitorController::inspectedID() const {
    const MIDIMessage* message = view_.inspectedMessage();
    return message ? std::optional(message->id) : std::nullopt;
}

void MonitorController::openSheet(Sheet sheet) {
    const SheetOpener* opener = nullptr;
    switch (sheet) {
    case Sheet::breakdown:
        opener = &openers_.breakdown;
        break;
    case Sheet::deviceSettings:
        opener = &openers_.deviceSettings;
        break;
    case Sheet::userGuide:
        opener = &openers_.userGuide;
        break;
    case Sheet::none:
        return;
    }
    QDialog* dialog = *opener ? (*opener)(view_, &window_) : nullptr;
    if (!dialog) {
        // A request that shows nothing must not stay set, or the next one would change nothing.
        view_.closeSheet(sheet);
        return;
    }
    sheet_ = dialog;
    front_ = dialog;
    sheetKind_ = sheet;
    sheetMessage_ = inspectedID();
    connect(dialog, &QDialog::finished, this, [this, dialog] { sheetGone(dialog); });
    connect(dialog, &QObject::destroyed, this, [this, dialog] { sheetGone(dialog); });
}

void MonitorController::closeSheet() {
    const QPointer<QDialog> dialog = sheet_;
    forgetSheet();
    if (dialog && dialog->isVisible()) dialog->close();
    returnFocus();
}

void MonitorController::forgetSheet() {
    sheet_ = nullptr;
    front_ = nullptr;
    sheetKind_ = Sheet::none;
    sheetMessage_.reset();
}

// The user closed the sheet in front (its button, Escape, the title bar) or it was deleted: the
// view's state follows.
void MonitorController::sheetGone(const QObject* dialog) {
    if (front_ != dialog || front_ == nullptr) return;
    const Sheet sheet = sheetKind_;
    forgetSheet();
    returnFocus();
    view_.closeSheet(sheet);
    syncSheet();
}

void MonitorController::returnFocus() {
    if (!window_.isVisible()) return;
    // A sheet closed while the user is in another application does not bring the window up.
    if (QGuiApplication::applicationState() == Qt::ApplicationActive) window_.activateWindow();
    window_.messageList().setFocus(Qt::OtherFocusReason);
}

} // namespace umbrascope
