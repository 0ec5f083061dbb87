#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <ranges>
#include <span>
#include <string>
#include <string_view>

#include "app/AddressChoice.hpp"
#include "app/ArrivalTimes.hpp"
#include "app/BackgroundQueue.hpp"
#include "app/CSVExport.hpp"
#include "app/CopyText.hpp"
#include "app/KeyCommands.hpp"
#include "app/Notices.hpp"
#include "app/PausedList.hpp"
#include "app/SettingSwitches.hpp"
#include "app/SheetState.hpp"
#include "app/VisibleList.hpp"
#include "audio/AudioEngine.hpp"
#include "audio/ClickPlayer.hpp"
#include "audio/SpeechAnnouncer.hpp"
#include "audio/SpeechSynthesizer.hpp"
#include "core/Clock.hpp"
#include "core/LifetimeToken.hpp"
#include "core/MainQueue.hpp"
#include "core/ObserverList.hpp"
#include "core/OwnerThread.hpp"
#include "core/Scheduler.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/MIDIService.hpp"
#include "midi/MessageFilter.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope {

// The window's own published state, named to observers after it changes.
enum class ContentViewProperty {
    clickOnMessage,
    lastInterrupts,
    ttsLevel,
    sheet,
    isIdle,
    notice,
    paused,       // the pause began or ended, or its count of new messages grew
    timeStyle,    // the View menu's choice of how rows give their time
    shownAddress, // the Channel or Group picker's choice
};

// Scroll the list so that its end element is in view.
struct ScrollRequest {
    bool animated = true;
};

// Asks the user where to save an export: a save dialog titled ContentView::exportDialogTitle,
// suggesting ContentView::exportFileName, for CSV files. It returns at once and later calls the
// answer once, on the main thread, with the chosen location or none when cancelled.
using ExportLocationAnswer = std::function<void(std::optional<std::filesystem::path>)>;
using AskForExportLocation = std::function<void(ExportLocationAnswer answer)>;

// What a window is built from. Everything held by reference must outlive the window.
struct ContentViewServices {
    MIDIService& midiService;
    std::unique_ptr<SpeechSynthesizer> synthesizer;
    AudioEngine& audioEngine;
    MainQueue& mainQueue;
    Scheduler& scheduler;
    BackgroundQueue& backgroundQueue;
    const Clock& clock;
    AskForExportLocation askForExportLocation;
};

// The main window's state and key commands, without a toolkit: every front end (the Qt window,
// the terminal monitor, the command line) is a view of one ContentView and holds no copy of it.
//
// Thread: main only, including construction and destruction.
//
// A view reads the getters and observes, without polling:
//   - observers(): a ContentViewProperty changed;
//   - visibleChanges(): the visible list changed (rows removed from the front and appended at the
//     end, or a reset);
//   - scrollRequests(): scroll the list's end into view (0.08 s after the newest visible message
//     changes, animated; unanimated when the content appears; animated when the window turns
//     idle);
//   - midiManager().observers(), messageChanges() and speechAnnouncer().observers() for the
//     services' own properties (message count, sources, buffer size, rate, volume, isSpeaking).
// It acts through handleKey, the operations below, and the services' setters: a filter switch,
// the buffer size, the Clear button and the sliders call midiManager() and speechAnnouncer()
// directly; every change is announced here, whoever made it.
class ContentView {
public:
    static constexpr std::string_view exportDialogTitle = "Export Messages to CSV";
    static constexpr std::string_view exportFileName = "Umbrascope-Export.csv";
    static constexpr Duration scrollDelay = std::chrono::milliseconds(80);
    static constexpr Duration idleTimerInterval = std::chrono::milliseconds(500);
    static constexpr Duration idleThreshold = std::chrono::seconds(2);
    static constexpr std::chrono::seconds recentWindow{10};
    static constexpr std::size_t recentLimit = 10;

    explicit ContentView(ContentViewServices services);
    ~ContentView();
    ContentView(const ContentView&) = delete;
    ContentView& operator=(const ContentView&) = delete;

    MIDIManager& midiManager() { return midiManager_; }
    const MIDIManager& midiManager() const { return midiManager_; }
    SpeechAnnouncer& speechAnnouncer() { return speechAnnouncer_; }
    ClickPlayer& clickPlayer() { return clickPlayer_; }

    bool clickOnMessage() const { return clickOnMessage_; }
    void setClickOnMessage(bool on);
    bool lastInterrupts() const { return lastInterrupts_; }
    void setLastInterrupts(bool on);
    TTSLevel ttsLevel() const { return ttsLevel_; }
    // Silent: the T key and the level buttons speak the level themselves.
    void setTTSLevel(TTSLevel level);
    // A level button: sets the level and always says it.
    void chooseTTSLevel(TTSLevel level);
    // The sheet in front, if any. A breakdown closes when its message leaves the buffer.
    Sheet openSheet() const { return sheets_.open(); }
    bool showUserGuide() const { return sheets_.open() == Sheet::userGuide; }
    bool showDeviceSettings() const { return sheets_.open() == Sheet::deviceSettings; }
    // The message of the open breakdown sheet, among the listed messages; none when no breakdown
    // is open.
    const MIDIMessage* inspectedMessage() const { return sheets_.inspected(); }

    // The buffer without what the filters hide, oldest first; a random-access range of
    // MIDIMessage that stays valid until the next visible change.
    struct EntryMessage {
        const MIDIMessage& operator()(const VisibleEntry& entry) const { return *entry.message; }
    };
    using VisibleMessages =
        std::ranges::transform_view<std::ranges::ref_view<const std::deque<VisibleEntry>>,
                                    EntryMessage>;
    VisibleMessages visibleMessages() const {
        return VisibleMessages(visible_.entries(), EntryMessage{});
    }

    bool isIdle() const { return isIdle_; }

    // P and the Pause button. While paused the rows, the announcements and the ticks stand still;
    // the buffer goes on receiving, and what it receives is counted. The list, M, R, the
    // breakdowns and export read a copy of the buffer taken at the pause (PausedList); P again
    // says how many came and shows them, without announcing or ticking them.
    bool isPaused() const { return paused_.isPaused(); }
    // The messages the buffer received since the pause, also those it has dropped again.
    std::uint64_t newWhilePaused() const { return paused_.newCount(); }
    void togglePause();
    // The buffer as the list shows it: the buffer itself, or while paused the copy held. The
    // header's count and export read it.
    const std::deque<MIDIMessage>& listedMessages() const {
        return paused_.isPaused() ? paused_.messages() : midiManager_.messages();
    }

    // When each message arrived, in the View menu's style, as the rows, the breakdown and its
    // reading give it.
    const ArrivalTimes& arrivalTimes() const { return arrivalTimes_; }
    TimeStyle timeStyle() const { return arrivalTimes_.style(); }
    // The View menu: says the choice when the level is not off.
    void setTimeStyle(TimeStyle style);

    // What went wrong that the user should know of, in one line (input overruns, speech that
    // fell back to another synthesizer); empty while all is well. It stays until the program ends.
    std::string notice() const;
    // A speech problem, shown in the notice and said (default voice, when the level is not off).
    void showSpeechNotice(std::string text);
    // Why there is no MIDI input at all (the system MIDI service did not open), shown in the
    // notice and said once: now, or when narration is first turned on.
    void showMIDINotice(std::string text);
    const std::string& midiNotice() const { return notices_.midiNotice(); }
    // Why a file could not be opened, shown in the notice and said; empty takes it away.
    void showFileNotice(std::string text);

    // One key press: a key of keyCommands, else ignored.
    KeyResult handleKey(const WindowKey& key);
    // The characters of one key press: exactly one of acceptedKeyCharacters, else ignored.
    KeyResult handleKey(std::string_view characters);
    KeyResult handleKey(ArrowKey arrow) { return handleKey(WindowKey::of(arrow)); }
    // The legend's check boxes and the digit keys.
    void setTypeHidden(UMPMessageType type, bool hidden);

    // The Channel and Group pickers' choices: 0-based, none for all. They only hide from the
    // visible list (the receive path keeps every channel and group), so choosing all again shows
    // what they hid.
    std::optional<std::uint8_t> shownAddress(AddressField field) const {
        return shownAddress_[static_cast<std::size_t>(field)];
    }
    // Says the new choice ("Channel 10", "All channels") when it changes.
    void setShownAddress(AddressField field, std::optional<std::uint8_t> value);

    // The Edit menu's copies of `messages` (oldest first): the text for the clipboard, said as
    // "Copied"; with no message there is nothing to copy, and that is said instead.
    std::optional<std::string> copyMessages(CopyKind kind,
                                            std::span<const MIDIMessage* const> messages);

    // The R key's catch-up: the last 10 visible messages of the last 10 seconds (before the pause,
    // while paused), short wording.
    std::string recentSummaryText() const;

    // The E key and the "Export CSV" button: says what happens, then exportCSV when messages are
    // listed.
    void requestExport();
    // Asks for a location; the listed messages are copied when the answer comes, then written in
    // the background, and the result is spoken.
    void exportCSV();

    // The window's content appeared: it shows the end of the list.
    void contentAppeared();

    // One sheet at a time: opening one closes the one in front. The guide and the breakdown stop
    // speech when they close, however that happens.
    void openUserGuide();
    // The D key and the "Devices" button.
    void openDeviceSettings();
    // A row's "More" button; a message no longer listed opens nothing.
    void openBreakdown(const MIDIMessage& message);
    // Closes `sheet` if it is in front.
    void closeSheet(Sheet sheet);
    // The sheets' read-aloud buttons: stop when speaking, else read.
    void toggleBreakdownReading();
    void toggleGuideReading();

    ObserverList<ContentViewProperty>& observers() { return observers_; }
    ObserverList<const VisibleChange&>& visibleChanges() { return visibleChanges_; }
    ObserverList<ScrollRequest>& scrollRequests() { return scrollRequests_; }

private:
    using Switches = std::array<bool, settingSwitchCount>;

    OwnerThread owner_; // checks the entry points; first, so the others may use it
    // State, in the window's order.
    MIDIManager midiManager_;
    SpeechAnnouncer speechAnnouncer_;
    ClickPlayer clickPlayer_;
    bool clickOnMessage_ = false;
    bool lastInterrupts_ = false;
    MonoTime currentTime_;
    std::unique_ptr<ScheduledTask> scrollWorkItem_;
    TTSLevel ttsLevel_ = TTSLevel::off;
    std::optional<std::int64_t> lastSpokenSequence_;
    std::optional<RunningVoiceStatus> runningVoiceStatus_;
    SheetState sheets_;
    std::uint64_t readingID_ = 0; // the utterance of the last reading
    std::unique_ptr<ScheduledTask> idleTimer_;

    // Services and what the state is derived from. The token comes before the exporter, which
    // is built with it.
    LifetimeToken lifetime_;
    Scheduler& scheduler_;
    const Clock& clock_;
    AskForExportLocation askForExportLocation_;
    CSVExporter exporter_;
    std::array<std::optional<std::uint8_t>, addressFieldCount> shownAddress_{};
    VisibleList visible_;
    PausedList paused_;
    ArrivalTimes arrivalTimes_;
    Switches switches_{};
    MessageTypeSet hiddenTypes_;
    bool isIdle_ = true;
    Notices notices_;

    ObserverList<ContentViewProperty> observers_;
    ObserverList<const VisibleChange&> visibleChanges_;
    ObserverList<ScrollRequest> scrollRequests_;
    ObserverList<const MessagesChange&>::Subscription bufferSubscription_;
    ObserverList<MIDIManagerProperty>::Subscription managerSubscription_;

    // Reactions to the message store.
    void bufferChanged(const MessagesChange& change);
    void managerChanged(MIDIManagerProperty property);
    void filterChanged();
    // While paused the list holds still: the buffer's changes only count, and a Clear or a
    // smaller buffer empties or trims the copy held.
    void heldBufferChanged(const MessagesChange& change);
    void heldBufferSizeChanged();
    void pause();
    void resume();
    // The receive path's filter with the pickers' choices.
    MessageFilter visibleFilter() const;
    void visibleUpdated(const VisibleUpdate& update);
    // Run whenever the newest visible message changes: the debounced scroll and the announce
    // pass.
    void handleNewMessages();
    void resetAnnouncePosition();
    void updateIdle();
    void inputOverrunsChanged();

    // Announcements of setting changes.
    Switches currentSwitches() const;
    void announceSwitchChanges();
    void announceHiddenTypeChange();
    void say(std::string text); // speakNow in the default voice when the level is not off

    // `keyNumber` 1 to 8 in legendOrder; others do nothing.
    void toggleHiddenType(int keyNumber);

    // Key commands, one per Command; `key` is the character pressed, lower case.
    void showOrHideType(const KeyCommandEntry& entry, char key);
    void toggleSetting(const KeyCommandEntry& entry, char key);
    void cycleTTSLevel(const KeyCommandEntry& entry, char key);
    void slower(const KeyCommandEntry& entry, char key);
    void faster(const KeyCommandEntry& entry, char key);
    void louder(const KeyCommandEntry& entry, char key);
    void softer(const KeyCommandEntry& entry, char key);
    void readGuide(const KeyCommandEntry& entry, char key);
    void readNewestBreakdown(const KeyCommandEntry& entry, char key);
    void readRecent(const KeyCommandEntry& entry, char key);
    void openDeviceSettingsKey(const KeyCommandEntry& entry, char key);
    void requestExportKey(const KeyCommandEntry& entry, char key);
    void togglePauseKey(const KeyCommandEntry& entry, char key);

    // G, M and R and the sheets' buttons: a reading, remembered to tell it from announcements.
    bool stoppedReading();
    void startReading(std::string text, std::optional<std::int32_t> sourceID = std::nullopt);

    void changeSheet(Sheet sheet, const MIDIMessage* message = nullptr);
    void sheetChanged(Sheet before);
};

} // namespace umbrascope
