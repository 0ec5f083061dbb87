#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Clock.hpp"
#include "core/LifetimeToken.hpp"
#include "core/MainQueue.hpp"
#include "core/ObserverList.hpp"
#include "core/OwnerThread.hpp"
#include "midi/EventList.hpp"
#include "midi/MIDIService.hpp"
#include "midi/MIDISourceInfo.hpp"
#include "midi/MIDISources.hpp"
#include "midi/MessageFilter.hpp"
#include "model/MIDIMessage.hpp"
#include "model/UMPMessageType.hpp"

namespace umbrascope {

// The published properties, named to observers after they change.
enum class MIDIManagerProperty {
    messages,
    enabledSourceIDs,
    lastMessageDate,
    onlyUMPSources,
    hideActiveSensing,
    hideMidiClock,
    hiddenMessageTypes,
    isBufferFull,
    maxMessages,
    availableSources,
    connectedSources,
    midi1ProtocolOnly,
    inputOverruns,
};

// How the buffer changed, told after the change. An append adds `appended` messages at the end
// and then drops `dropped` from the front (a batch larger than the room left drops some of its
// own); a trim only drops; a clear empties the buffer. Kept messages never move in memory, so a
// list of pointers into the buffer stays valid for everything but the dropped.
struct MessagesChange {
    std::size_t appended = 0;
    std::size_t dropped = 0;
    bool cleared = false;

    friend bool operator==(const MessagesChange&, const MessagesChange&) = default;
};

// The message store: receives event lists from the MIDI service, filters and numbers them, and
// keeps the bounded buffer of messages.
//
// Threads: handleEventList runs on the service's delivery thread(s); everything else, including
// construction and destruction, belongs to the main thread, which Debug and sanitizer builds
// check at each function that changes the store. The hand-over to the main thread is
// bounded (maxPendingMessages posted and not yet appended): a live source's list that finds no
// room is dropped and counted with the input overruns, so a flood costs neither memory nor the
// window's answers; a source that can wait (a file) waits for room, unless it delivers on the main
// thread, which then drains the queue itself. A live source never waits for the main thread.
// The receive side reads the filter settings from an immutable snapshot that the main thread
// replaces, so a change takes effect for event lists that start after it.
class MIDIManager {
public:
    using SourceIDSet = std::set<std::int32_t>;
    using Observers = ObserverList<MIDIManagerProperty>;

    static constexpr std::int64_t defaultMaxMessages = 500;
    // The buffer sizes a user can choose.
    static constexpr std::array<std::int64_t, 3> maxMessagesChoices{500, 1000, 5000};

    // The service, queue and clock must outlive the manager. Installs the receive callback on the
    // service and removes it again on destruction.
    MIDIManager(MIDIService& service, MainQueue& mainQueue,
                const Clock& clock = SystemClock::instance());
    ~MIDIManager();
    MIDIManager(const MIDIManager&) = delete;
    MIDIManager& operator=(const MIDIManager&) = delete;

    // Messages posted to the main thread and not yet appended, beyond which a live source's lists
    // are dropped and a file's wait: a few MB, and about 30 ms of the window's work.
    static constexpr std::size_t maxPendingMessages = 16384;

    // Receive side. Safe to call from several delivery threads; calls are serialised.
    void handleEventList(const EventList& list, std::optional<SourceRef> source);

    // Main thread.
    void appendBatch(std::vector<MIDIMessage> batch);
    void clearMessages();
    void trimToMaxMessages();

    const std::deque<MIDIMessage>& messages() const { return messages_; }
    bool isBufferFull() const { return isBufferFull_; }
    std::optional<WallTime> lastMessageDate() const { return lastMessageDate_; }
    // The same moment on the monotonic clock, for idle time that a clock change cannot stall.
    std::optional<MonoTime> lastMessageMonotonic() const { return lastMessageMonotonic_; }
    // Told before the properties that the same change touches (messages, isBufferFull,
    // lastMessageDate).
    ObserverList<const MessagesChange&>& messageChanges() { return messageChanges_; }

    std::int64_t maxMessages() const { return maxMessages_; }
    void setMaxMessages(std::int64_t limit);

    const SourceIDSet& enabledSourceIDs() const { return settings_.enabledSourceIDs; }
    void setEnabledSourceIDs(SourceIDSet ids);
    void setSourceEnabled(std::int32_t id, bool enabled);

    bool onlyUMPSources() const { return settings_.filter.onlyUMPSources; }
    void setOnlyUMPSources(bool on);
    bool hideActiveSensing() const { return settings_.filter.hideActiveSensing; }
    void setHideActiveSensing(bool on);
    bool hideMidiClock() const { return settings_.filter.hideMidiClock; }
    void setHideMidiClock(bool on);
    MessageTypeSet hiddenMessageTypes() const { return settings_.filter.hiddenMessageTypes; }
    void setHiddenMessageTypes(MessageTypeSet types);
    // The four settings above, as the receive path applies them to each message.
    const MessageFilter& messageFilter() const { return settings_.filter; }

    Observers& observers() { return observers_; }

    // Sources, client and input port (MIDISources). The constructor ends with setupMIDI; a rescan
    // runs on the main thread and publishes its lists in a later main-thread step. Setup
    // notifications that arrive before their rescan has started share it.
    void setupMIDI() { sources_.setup(); }
    void createInputPort() { sources_.createInputPort(); }
    void refreshSources() { sources_.refresh(); }

    const std::vector<MIDISourceInfo>& availableSources() const {
        return sources_.availableSources();
    }
    const std::vector<std::string>& connectedSources() const { return sources_.connectedSources(); }
    const SourceIDSet& seenSourceIDs() const { return sources_.seenSourceIDs(); }
    bool midi1ProtocolOnly() const { return sources_.midi1ProtocolOnly(); }
    // A change re-creates the input port with the other protocol and rescans.
    void setMIDI1ProtocolOnly(bool on) { sources_.setMIDI1ProtocolOnly(on); }
    // Times incoming events were lost, by the service or because the main thread fell behind, as
    // last published.
    std::uint64_t inputOverruns() const {
        return sources_.inputOverruns() + backlogLossesPublished_;
    }
    MIDIService::PortRef inputPort() const { return sources_.inputPort(); }

private:
    // What the receive side reads; never changed once published.
    struct FilterSettings {
        SourceIDSet enabledSourceIDs;
        MessageFilter filter;
    };
    void publishSettings(MIDIManagerProperty changed);
    std::shared_ptr<const std::string> sharedSourceName(std::int32_t id, std::string name);
    // Returns how many it dropped.
    std::size_t trimToLimit();

    OwnerThread owner_; // first, so the others may use it
    MIDIService& service_;
    MainQueue& mainQueue_;
    const Clock& clock_;

    // Main-thread state.
    std::deque<MIDIMessage> messages_;
    std::optional<WallTime> lastMessageDate_;
    std::optional<MonoTime> lastMessageMonotonic_;
    ObserverList<const MessagesChange&> messageChanges_;
    bool isBufferFull_ = false;
    std::int64_t maxMessages_ = defaultMaxMessages;
    FilterSettings settings_;
    Observers observers_;

    // Receive-side state, under receiveMutex_ (several delivery threads may call in).
    std::mutex receiveMutex_;
    std::int64_t nextSequenceNumber_ = 0;
    std::unordered_map<std::int32_t, std::shared_ptr<const std::string>> sourceNames_;

    std::shared_ptr<const FilterSettings> receiveSettings_;
    std::uint64_t receiveSettingsVersion_ = 0;

    // The bound on the hand-over (see the class comment).
    void waitForRoom();
    // Returns false when a live source's batch finds no room.
    bool takeRoom(std::size_t count, bool canWait);
    void madeRoom(std::size_t count);
    void publishBacklogLosses();
    const std::thread::id mainThread_ = std::this_thread::get_id();
    std::mutex pendingMutex_;
    std::condition_variable roomMade_;
    std::size_t pendingMessages_ = 0; // under pendingMutex_
    bool closing_ = false;            // under pendingMutex_: nobody waits any more
    std::atomic<std::uint64_t> backlogLosses_{0};
    std::uint64_t backlogLossesPublished_ = 0; // main thread
    std::atomic<bool> lossReportPending_{false};

    // The hand-over of settings: the main thread replaces the snapshot, then bumps the version; the
    // receive side takes the lock only to pick up a new snapshot, never while the main thread
    // works.
    std::mutex publishedMutex_;
    std::shared_ptr<const FilterSettings> published_;
    std::atomic<std::uint64_t> publishedVersion_{0};

    // Posted batches run only while the manager exists; ended first thing in the destructor.
    LifetimeToken lifetime_;

    // Enables each source the first time a scan finds it.
    void sourcesPublished(const std::vector<std::int32_t>& firstSeen);
    // Main thread; its posted work ends when it goes, before the store's state.
    MIDISources sources_;
};

} // namespace umbrascope
