#include "app/ContentView.hpp"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "app/AnnouncePass.hpp"
#include "app/UserGuide.hpp"
#include "breakdown/BreakdownReading.hpp"
#include "text/SpokenText.hpp"

namespace umbrascope {

namespace {

constexpr float rateStep = 0.05f;
constexpr float volumeStep = 0.1f;

// The first type, in the set's order, that is in `a` and not in `b`.
std::optional<UMPMessageType> firstMissing(MessageTypeSet a, MessageTypeSet b) {
    for (const UMPMessageType type : allMessageTypes)
        if (a.contains(type) && !b.contains(type)) return type;
    return std::nullopt;
}

// The message numbered `sequenceNumber` in `messages` (in number order), or null.
const MIDIMessage* findNumbered(const std::deque<MIDIMessage>& messages,
                                std::int64_t sequenceNumber) {
    const auto found =
        std::lower_bound(messages.begin(), messages.end(), sequenceNumber,
                         [](const MIDIMessage& m, std::int64_t n) { return m.sequenceNumber < n; });
    return found != messages.end() && found->sequenceNumber == sequenceNumber ? &*found : nullptr;
}

} // namespace

ContentView::ContentView(ContentViewServices services)
    : midiManager_(services.midiService, services.mainQueue, services.clock),
      speechAnnouncer_(std::move(services.synthesizer), services.mainQueue),
      clickPlayer_(services.audioEngine, services.clock),
      currentTime_(services.clock.monotonicNow()), scheduler_(services.scheduler),
      clock_(services.clock), askForExportLocation_(std::move(services.askForExportLocation)),
      exporter_(
          services.backgroundQueue, services.mainQueue,
          [this, watch = lifetime_.watch()] { return watch.expired() ? TTSLevel::off : ttsLevel_; },
          lifetime_.guard(
              [this](std::string text) { speechAnnouncer_.speakNow(std::move(text)); })),
      visible_(visibleFilter()), arrivalTimes_(services.clock), switches_(currentSwitches()),
      hiddenTypes_(midiManager_.hiddenMessageTypes()) {
    bufferSubscription_ = midiManager_.messageChanges().subscribe(
        [this](const MessagesChange& change) { bufferChanged(change); });
    managerSubscription_ = midiManager_.observers().subscribe(
        [this](MIDIManagerProperty property) { managerChanged(property); });
    idleTimer_ = scheduler_.repeat(idleTimerInterval, [this] {
        currentTime_ = clock_.monotonicNow();
        updateIdle();
    });
}

ContentView::~ContentView() {
    lifetime_.end();
}

// --- The message store ----------------------------------------------------------------------

void ContentView::bufferChanged(const MessagesChange& change) {
    owner_.check("ContentView::bufferChanged");
    if (paused_.isPaused()) return heldBufferChanged(change);
    const auto& messages = midiManager_.messages();
    // Everything goes with a clear, whatever the numbers.
    const std::int64_t firstKept = change.cleared || messages.empty()
                                       ? std::numeric_limits<std::int64_t>::max()
                                       : messages.front().sequenceNumber;
    const VisibleUpdate update = visible_.follow(messages, change);
    if (sheets_.messagesDropped(firstKept)) sheetChanged(Sheet::breakdown);
    visibleUpdated(update);
}

void ContentView::managerChanged(MIDIManagerProperty property) {
    owner_.check("ContentView::managerChanged");
    using P = MIDIManagerProperty;
    switch (property) {
    case P::hideActiveSensing:
    case P::hideMidiClock:
    case P::onlyUMPSources:
        announceSwitchChanges();
        filterChanged();
        break;
    case P::hiddenMessageTypes:
        announceHiddenTypeChange();
        filterChanged();
        break;
    case P::midi1ProtocolOnly:
        announceSwitchChanges();
        break;
    case P::lastMessageDate:
        updateIdle();
        break;
    case P::inputOverruns:
        inputOverrunsChanged();
        break;
    case P::maxMessages:
        if (paused_.isPaused()) heldBufferSizeChanged();
        break;
    default:
        break;
    }
}

void ContentView::filterChanged() {
    visibleUpdated(visible_.setFilter(listedMessages(), visibleFilter()));
}

void ContentView::heldBufferChanged(const MessagesChange& change) {
    if (!change.cleared) {
        paused_.received(change.appended);
        if (change.appended > 0) observers_.notify(ContentViewProperty::paused);
        return;
    }
    paused_.clear();
    if (sheets_.messagesDropped(std::numeric_limits<std::int64_t>::max()))
        sheetChanged(Sheet::breakdown);
    visibleUpdated(visible_.follow(paused_.messages(), change));
    observers_.notify(ContentViewProperty::paused);
}

void ContentView::heldBufferSizeChanged() {
    const std::size_t dropped =
        paused_.trimTo(static_cast<std::size_t>(midiManager_.maxMessages()));
    if (dropped == 0) return;
    const auto& held = paused_.messages();
    if (sheets_.messagesDropped(held.empty() ? std::numeric_limits<std::int64_t>::max()
                                             : held.front().sequenceNumber))
        sheetChanged(Sheet::breakdown);
    visibleUpdated(visible_.follow(held, MessagesChange{0, dropped, false}));
}

void ContentView::togglePause() {
    owner_.check("ContentView::togglePause");
    if (paused_.isPaused())
        resume();
    else
        pause();
}

void ContentView::pause() {
    paused_.pause(midiManager_.messages(), clock_.wallNow());
    const auto& held = paused_.messages();
    const VisibleUpdate update = visible_.hold(held);
    if (const MIDIMessage* inspected = sheets_.inspected();
        inspected && sheets_.moveInspected(findNumbered(held, inspected->sequenceNumber)))
        sheetChanged(Sheet::breakdown);
    visibleUpdated(update);
    observers_.notify(ContentViewProperty::paused);
    say("Paused");
}

void ContentView::resume() {
    const auto& messages = midiManager_.messages();
    const auto& held = paused_.messages();
    const auto lastHeld = held.empty() ? std::nullopt : std::optional(held.back().sequenceNumber);
    if (const MIDIMessage* inspected = sheets_.inspected();
        inspected && sheets_.moveInspected(findNumbered(messages, inspected->sequenceNumber)))
        sheetChanged(Sheet::breakdown);
    const VisibleUpdate update = visible_.rejoin(messages, lastHeld);
    const std::uint64_t count = paused_.resume();
    // What came meanwhile is shown, neither announced nor ticked.
    resetAnnouncePosition();
    observers_.notify(ContentViewProperty::paused);
    visibleUpdated(update);
    say(resumedText(count));
}

MessageFilter ContentView::visibleFilter() const {
    MessageFilter filter = midiManager_.messageFilter();
    filter.shownChannel = shownAddress(AddressField::channel);
    filter.shownGroup = shownAddress(AddressField::group);
    return filter;
}

void ContentView::visibleUpdated(const VisibleUpdate& update) {
    if (update.change) visibleChanges_.notify(*update.change);
    if (update.newestChanged) handleNewMessages();
}

void ContentView::handleNewMessages() {
    if (scrollWorkItem_) scrollWorkItem_->cancel();
    scrollWorkItem_ =
        scheduler_.defer(scrollDelay, [this] { scrollRequests_.notify(ScrollRequest{true}); });
    // A filter changed while paused: nothing new arrived in the list, and the pause is silent.
    if (paused_.isPaused()) return;

    AnnounceState state{ttsLevel_, lastInterrupts_, clickOnMessage_, lastSpokenSequence_,
                        runningVoiceStatus_};
    announceNewMessages(visibleMessages(), state, speechAnnouncer_, clickPlayer_);
    lastSpokenSequence_ = state.lastSpokenSequence;
    runningVoiceStatus_ = state.runningVoiceStatus;
}

void ContentView::resetAnnouncePosition() {
    AnnounceState state{ttsLevel_, lastInterrupts_, clickOnMessage_, lastSpokenSequence_,
                        runningVoiceStatus_};
    umbrascope::resetAnnouncePosition(visibleMessages(), state);
    lastSpokenSequence_ = state.lastSpokenSequence;
    runningVoiceStatus_ = state.runningVoiceStatus;
}

void ContentView::updateIdle() {
    const auto last = midiManager_.lastMessageMonotonic();
    const bool idle = !last || currentTime_ - *last >= idleThreshold;
    if (idle == isIdle_) return;
    isIdle_ = idle;
    observers_.notify(ContentViewProperty::isIdle);
    // The end element grows while idle; scrolling to it keeps the badge off the last row.
    if (idle) scrollRequests_.notify(ScrollRequest{true});
}

// --- Notices --------------------------------------------------------------------------------

std::string ContentView::notice() const {
    return notices_.line(midiManager_.inputOverruns());
}

void ContentView::showFileNotice(std::string text) {
    owner_.check("ContentView::showFileNotice");
    const std::string& said = notices_.showFileNotice(std::move(text));
    observers_.notify(ContentViewProperty::notice);
    if (!said.empty()) say(said);
}

void ContentView::showSpeechNotice(std::string text) {
    owner_.check("ContentView::showSpeechNotice");
    const std::string& said = notices_.showSpeechNotice(std::move(text));
    observers_.notify(ContentViewProperty::notice);
    say(said);
}

void ContentView::showMIDINotice(std::string text) {
    const std::string& said = notices_.showMIDINotice(std::move(text), ttsLevel_ != TTSLevel::off);
    observers_.notify(ContentViewProperty::notice);
    say(said);
}

void ContentView::inputOverrunsChanged() {
    observers_.notify(ContentViewProperty::notice);
    if (auto said = notices_.inputOverran(clock_.monotonicNow())) say(std::move(*said));
}

// --- Announcements --------------------------------------------------------------------------

ContentView::Switches ContentView::currentSwitches() const {
    Switches now{};
    for (std::size_t i = 0; i < now.size(); ++i)
        now[i] = settingSwitches[i].get(*this);
    return now;
}

void ContentView::announceSwitchChanges() {
    const Switches now = currentSwitches();
    for (std::size_t i = 0; i < now.size(); ++i) {
        if (now[i] == switches_[i]) continue;
        const SettingSwitchEntry& a = settingSwitches[i];
        say(std::string(a.spokenName).append(now[i] ? a.whenOn : a.whenOff));
    }
    switches_ = now;
}

void ContentView::announceHiddenTypeChange() {
    const MessageTypeSet now = midiManager_.hiddenMessageTypes();
    const MessageTypeSet before = std::exchange(hiddenTypes_, now);
    if (const auto shown = firstMissing(before, now))
        say(withSpokenUMP(displayName(*shown)) + " On");
    else if (const auto hidden = firstMissing(now, before))
        say(withSpokenUMP(displayName(*hidden)) + " Off");
}

void ContentView::say(std::string text) {
    if (ttsLevel_ != TTSLevel::off) speechAnnouncer_.speakNow(std::move(text));
}

// --- Settings -------------------------------------------------------------------------------

void ContentView::setTimeStyle(TimeStyle style) {
    owner_.check("ContentView::setTimeStyle");
    if (style == arrivalTimes_.style()) return;
    arrivalTimes_.setStyle(style);
    observers_.notify(ContentViewProperty::timeStyle);
    say(std::string(entryFor(style).label));
}

void ContentView::setClickOnMessage(bool on) {
    owner_.check("ContentView::setClickOnMessage");
    if (on == clickOnMessage_) return;
    clickOnMessage_ = on;
    observers_.notify(ContentViewProperty::clickOnMessage);
    announceSwitchChanges();
}

void ContentView::setLastInterrupts(bool on) {
    owner_.check("ContentView::setLastInterrupts");
    if (on == lastInterrupts_) return;
    lastInterrupts_ = on;
    observers_.notify(ContentViewProperty::lastInterrupts);
    announceSwitchChanges();
}

void ContentView::setTTSLevel(TTSLevel level) {
    owner_.check("ContentView::setTTSLevel");
    if (level == ttsLevel_) return;
    ttsLevel_ = level;
    resetAnnouncePosition();
    observers_.notify(ContentViewProperty::ttsLevel);
}

void ContentView::chooseTTSLevel(TTSLevel level) {
    owner_.check("ContentView::chooseTTSLevel");
    setTTSLevel(level);
    speechAnnouncer_.speakNow(std::string(rawValue(level)));
    // After the confirmation, as a reading: a screen reader's echo of the key waits for neither.
    if (level != TTSLevel::off)
        if (const auto unsaid = notices_.takeUnsaidMIDINotice())
            speechAnnouncer_.speakAfter(*unsaid, std::nullopt, UtteranceKind::reading);
}

void ContentView::toggleHiddenType(int keyNumber) {
    if (keyNumber < 1 || keyNumber > static_cast<int>(legendOrder.size())) return;
    const UMPMessageType type = legendOrder[static_cast<std::size_t>(keyNumber - 1)];
    setTypeHidden(type, !midiManager_.hiddenMessageTypes().contains(type));
}

void ContentView::setTypeHidden(UMPMessageType type, bool hidden) {
    owner_.check("ContentView::setTypeHidden");
    MessageTypeSet types = midiManager_.hiddenMessageTypes();
    if (hidden)
        types.insert(type);
    else
        types.erase(type);
    midiManager_.setHiddenMessageTypes(types);
}

void ContentView::setShownAddress(AddressField field, std::optional<std::uint8_t> value) {
    owner_.check("ContentView::setShownAddress");
    if (value && *value >= addressValueCount) return;
    auto& shown = shownAddress_[static_cast<std::size_t>(field)];
    if (shown == value) return;
    shown = value;
    filterChanged();
    observers_.notify(ContentViewProperty::shownAddress);
    say(addressChoiceText(field, value));
}

// --- Copy -----------------------------------------------------------------------------------

std::optional<std::string> ContentView::copyMessages(CopyKind kind,
                                                     std::span<const MIDIMessage* const> messages) {
    owner_.check("ContentView::copyMessages");
    if (messages.empty()) {
        say("No Message To Copy");
        return std::nullopt;
    }
    say("Copied");
    return copyText(kind, messages);
}

// --- Keys -----------------------------------------------------------------------------------

KeyResult ContentView::handleKey(const WindowKey& key) {
    owner_.check("ContentView::handleKey");
    using Run = void (ContentView::*)(const KeyCommandEntry&, char);
    // Indexed by Command.
    static constexpr std::array<Run, commandCount> commands{
        &ContentView::showOrHideType,
        &ContentView::toggleSetting,
        &ContentView::cycleTTSLevel,
        &ContentView::slower,
        &ContentView::faster,
        &ContentView::louder,
        &ContentView::softer,
        &ContentView::readGuide,
        &ContentView::readNewestBreakdown,
        &ContentView::readRecent,
        &ContentView::openDeviceSettingsKey,
        &ContentView::requestExportKey,
        &ContentView::togglePauseKey,
    };
    const KeyCommandEntry* entry = findKeyCommand(key);
    if (!entry) return KeyResult::ignored;
    (this->*commands[static_cast<std::size_t>(entry->command)])(*entry, lowerCase(key.character));
    return KeyResult::handled;
}

KeyResult ContentView::handleKey(std::string_view characters) {
    if (characters.size() != 1) return KeyResult::ignored;
    return handleKey(WindowKey::typed(characters[0]));
}

void ContentView::showOrHideType(const KeyCommandEntry&, char key) {
    toggleHiddenType(key - '0');
}

void ContentView::toggleSetting(const KeyCommandEntry& entry, char) {
    const SettingSwitchEntry& setting = entryFor(entry.setting);
    setting.set(*this, !setting.get(*this));
}

void ContentView::cycleTTSLevel(const KeyCommandEntry&, char) {
    chooseTTSLevel(nextTTSLevel(ttsLevel_));
}

void ContentView::slower(const KeyCommandEntry&, char) {
    speechAnnouncer_.adjustRate(-rateStep);
}

void ContentView::faster(const KeyCommandEntry&, char) {
    speechAnnouncer_.adjustRate(rateStep);
}

void ContentView::louder(const KeyCommandEntry&, char) {
    speechAnnouncer_.adjustVolume(volumeStep);
}

void ContentView::softer(const KeyCommandEntry&, char) {
    speechAnnouncer_.adjustVolume(-volumeStep);
}

// With narration on an announcement is nearly always under way: G, M and R cut it and read, and
// stop only a reading. With narration off anything being said is stopped.
bool ContentView::stoppedReading() {
    const std::optional<Utterance>& current = speechAnnouncer_.currentUtterance();
    const bool stops = ttsLevel_ == TTSLevel::off
                           ? speechAnnouncer_.isSpeaking()
                           : speechAnnouncer_.busy() && current && current->id == readingID_;
    if (stops) speechAnnouncer_.stop();
    return stops;
}

void ContentView::startReading(std::string text, std::optional<std::int32_t> sourceID) {
    speechAnnouncer_.speakNow(std::move(text), sourceID, UtteranceKind::reading);
    const std::optional<Utterance>& current = speechAnnouncer_.currentUtterance();
    readingID_ = current ? current->id : 0;
}

void ContentView::readGuide(const KeyCommandEntry&, char) {
    if (!stoppedReading()) startReading(guideReadingText(showUserGuide()));
}

void ContentView::readNewestBreakdown(const KeyCommandEntry&, char) {
    if (stoppedReading() || !visible_.newest()) return;
    const MIDIMessage& newest = *visible_.newest();
    startReading(
        breakdownReadingText(newest, inspectedMessage() != nullptr, arrivalTimes_.sentence(newest)),
        newest.sourceID);
}

void ContentView::readRecent(const KeyCommandEntry&, char) {
    if (!stoppedReading()) startReading(recentSummaryText());
}

void ContentView::openDeviceSettingsKey(const KeyCommandEntry&, char) {
    openDeviceSettings();
}

void ContentView::requestExportKey(const KeyCommandEntry&, char) {
    requestExport();
}

void ContentView::togglePauseKey(const KeyCommandEntry&, char) {
    togglePause();
}

std::string ContentView::recentSummaryText() const {
    // A held list is caught up with as it stood at the pause.
    const WallTime now = paused_.isPaused() ? paused_.pausedAt() : clock_.wallNow();
    std::vector<const MIDIMessage*> recent;
    const auto& entries = visible_.entries();
    for (auto it = entries.rbegin(); it != entries.rend() && recent.size() < recentLimit; ++it)
        if (now - it->message->timestamp <= recentWindow) recent.push_back(it->message);
    std::reverse(recent.begin(), recent.end());

    std::optional<RunningVoiceStatus> status; // the catch-up's own, not the window's
    std::string text;
    for (const MIDIMessage* message : recent)
        if (const auto spoken = spokenText(*message, TTSLevel::short_, status)) {
            if (!text.empty()) text += ", ";
            text += *spoken;
        }
    return text.empty() ? "No Recent Messages" : text;
}

// --- Export ---------------------------------------------------------------------------------

void ContentView::requestExport() {
    owner_.check("ContentView::requestExport");
    if (listedMessages().empty()) {
        say("No Messages To Export");
        return;
    }
    say("Export CSV");
    exportCSV();
}

void ContentView::exportCSV() {
    owner_.check("ContentView::exportCSV");
    if (!askForExportLocation_) return;
    askForExportLocation_(lifetime_.guard([this](std::optional<std::filesystem::path> location) {
        if (!location) return;
        // Taken now, after the answer: messages received while the dialog was open are included,
        // unless the list is paused.
        const auto& messages = listedMessages();
        exporter_.exportCSV(std::vector<MIDIMessage>(messages.begin(), messages.end()),
                            std::move(*location));
    }));
}

// --- Window and sheets ----------------------------------------------------------------------

void ContentView::contentAppeared() {
    owner_.check("ContentView::contentAppeared");
    scrollRequests_.notify(ScrollRequest{false});
}

void ContentView::changeSheet(Sheet sheet, const MIDIMessage* message) {
    const Sheet before = sheets_.open();
    if (sheets_.show(sheet, message)) sheetChanged(before);
}

void ContentView::sheetChanged(Sheet before) {
    // The guide's and the breakdown's readings end with their sheet.
    if (before == Sheet::userGuide || before == Sheet::breakdown) speechAnnouncer_.stop();
    observers_.notify(ContentViewProperty::sheet);
}

void ContentView::openUserGuide() {
    owner_.check("ContentView::openUserGuide");
    changeSheet(Sheet::userGuide);
}

void ContentView::openDeviceSettings() {
    owner_.check("ContentView::openDeviceSettings");
    changeSheet(Sheet::deviceSettings);
    // A screen reader reads the sheet itself: its heading must not hold that reading back.
    if (ttsLevel_ != TTSLevel::off)
        speechAnnouncer_.speakNow("Devices", std::nullopt, UtteranceKind::heading);
}

void ContentView::openBreakdown(const MIDIMessage& message) {
    owner_.check("ContentView::openBreakdown");
    const auto& messages = listedMessages();
    const auto found = std::find_if(messages.rbegin(), messages.rend(),
                                    [&](const MIDIMessage& m) { return m.id == message.id; });
    if (found != messages.rend()) changeSheet(Sheet::breakdown, &*found);
}

void ContentView::closeSheet(Sheet sheet) {
    owner_.check("ContentView::closeSheet");
    if (sheets_.close(sheet)) sheetChanged(sheet);
}

void ContentView::toggleBreakdownReading() {
    owner_.check("ContentView::toggleBreakdownReading");
    if (speechAnnouncer_.isSpeaking()) {
        speechAnnouncer_.stop();
        return;
    }
    if (!inspectedMessage()) return;
    const MIDIMessage& message = *inspectedMessage();
    startReading(breakdownReadingText(message, true, arrivalTimes_.sentence(message)),
                 message.sourceID);
}

void ContentView::toggleGuideReading() {
    owner_.check("ContentView::toggleGuideReading");
    if (speechAnnouncer_.isSpeaking())
        speechAnnouncer_.stop();
    else
        startReading(guideReadingText(true));
}

} // namespace umbrascope
