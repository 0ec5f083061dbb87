#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "core/Clock.hpp"
#include "core/LifetimeToken.hpp"
#include "core/MainQueue.hpp"
#include "core/ObserverList.hpp"
#include "midi/EventList.hpp"
#include "midi/MIDISourceInfo.hpp"
#include "midi/MessageFilter.hpp"
#include "midi/MidiService.hpp"
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
// Threads: handleEventList runs on the service's delivery thread(s) and never waits for the main
// thread; everything else, including construction and destruction, belongs to the main thread.
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
    MIDIManager(MidiService& service, MainQueue& mainQueue,
                const Clock& clock = SystemClock::instance());
    ~MIDIManager();
    MIDIManager(const MIDIManager&) = delete;
    MIDIManager& operator=(const MIDIManager&) = delete;

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

    // Sources, client and input port. The constructor ends with setupMIDI; a rescan runs on the
    // main thread and publishes its lists in a later main-thread step. Setup notifications that
    // arrive before their rescan has started share it.
    void setupMIDI();
    void createInputPort();
    void refreshSources();

    const std::vector<MIDISourceInfo>& availableSources() const { return availableSources_; }
    const std::vector<std::string>& connectedSources() const { return connectedSources_; }
    const SourceIDSet& seenSourceIDs() const { return seenSourceIDs_; }
    bool midi1ProtocolOnly() const { return midi1ProtocolOnly_; }
    // A change re-creates the input port with the other protocol and rescans.
    void setMidi1ProtocolOnly(bool on);
    // Times the service lost incoming events, as last reported by it.
    std::uint64_t inputOverruns() const { return inputOverruns_; }
    MidiService::PortRef inputPort() const { return inputPort_; }

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

    MidiService& service_;
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

    // The hand-over of settings: the main thread replaces the snapshot, then bumps the version; the
    // receive side takes the lock only to pick up a new snapshot, never while the main thread
    // works.
    std::mutex publishedMutex_;
    std::shared_ptr<const FilterSettings> published_;
    std::atomic<std::uint64_t> publishedVersion_{0};

    // Posted batches, rescans and notifications run only while the manager exists; ended first
    // thing in the destructor.
    LifetimeToken lifetime_;

    // Sources (main thread).
    void publishSources(std::vector<MIDISourceInfo> scanned);
    std::vector<MIDISourceInfo> availableSources_;
    std::vector<std::string> connectedSources_;
    SourceIDSet seenSourceIDs_;
    bool midi1ProtocolOnly_ = false;
    bool lastScanEmpty_ = true;
    MidiService::ClientRef client_ = 0;
    MidiService::PortRef inputPort_ = 0;
    // Lets a service's notification reach the queue only while the manager exists; the service
    // may outlive both the manager and the queue.
    struct NotificationGate {
        NotificationGate(MainQueue* q, MIDIManager* m, LifetimeToken::Watch w)
            : queue(q), manager(m), alive(std::move(w)) {}
        std::mutex mutex;
        MainQueue* queue;
        MIDIManager* manager;
        LifetimeToken::Watch alive;
        bool rescanPending = false; // posted and not yet started
        bool reconnectAll = false;  // a source went or changed since the last rescan
        bool overrunPending = false;
    };
    std::shared_ptr<NotificationGate> notificationGate_;
    // The sources connected to the current input port, by reference.
    std::unordered_set<std::uint64_t> connectedRefs_;
    // A scan that connects every source, or only those not connected to the port yet.
    void rescan(bool reconnectAll);
    void updateInputOverruns();
    static void postInputOverruns(const std::shared_ptr<NotificationGate>& gate);
    std::uint64_t inputOverruns_ = 0;
};

} // namespace umbrascope
