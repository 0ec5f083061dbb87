#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/LifetimeToken.hpp"
#include "core/MainQueue.hpp"
#include "core/OwnerThread.hpp"
#include "midi/MIDIService.hpp"
#include "midi/MIDISourceInfo.hpp"

namespace umbrascope {

// The message store's side of the MIDI service: the client and the input port, the sources found
// at the last scan kept current through setup notifications, the port protocol and the input
// overrun count. Which sources are enabled stays with the store; it learns of sources seen for
// the first time through `Listener::published`.
//
// Threads: main thread, the one that constructs it (checked in Debug and sanitizer builds). The
// service's notifications arrive on its own thread and only post to the main queue, and nothing
// posted runs once this is gone.
class MIDISources {
public:
    using SourceIDSet = std::set<std::int32_t>;

    // Told on the main thread after the change.
    struct Listener {
        // A scan was published; `firstSeen` are the ids never seen before, in list order.
        std::function<void(const std::vector<std::int32_t>& firstSeen)> published;
        std::function<void()> protocolChanged;
        std::function<void()> inputOverrunsChanged;
    };

    // The service and queue must outlive this.
    MIDISources(MIDIService& service, MainQueue& mainQueue, Listener listener);
    ~MIDISources();
    MIDISources(const MIDISources&) = delete;
    MIDISources& operator=(const MIDISources&) = delete;

    // Creates the client and the input port and scans, once.
    void setup();
    void createInputPort();
    // Scans and connects every source; the lists are published in a later main-thread step.
    void refresh();

    const std::vector<MIDISourceInfo>& availableSources() const { return availableSources_; }
    const std::vector<std::string>& connectedSources() const { return connectedSources_; }
    const SourceIDSet& seenSourceIDs() const { return seenSourceIDs_; }
    bool midi1ProtocolOnly() const { return midi1ProtocolOnly_; }
    // A change re-creates the input port with the other protocol and rescans.
    void setMIDI1ProtocolOnly(bool on);
    std::uint64_t inputOverruns() const { return inputOverruns_; }
    MIDIService::PortRef inputPort() const { return inputPort_; }

private:
    // Lets a service's notification reach the queue only while this exists; the service may
    // outlive both this and the queue.
    struct NotificationGate {
        NotificationGate(MainQueue* q, MIDISources* s, LifetimeToken::Watch w)
            : queue(q), sources(s), alive(std::move(w)) {}
        std::mutex mutex;
        MainQueue* queue;
        MIDISources* sources;
        LifetimeToken::Watch alive;
        bool rescanPending = false; // posted and not yet started
        bool reconnectAll = false;  // a source went or changed since the last rescan
        bool overrunPending = false;
    };

    // A scan that connects every source, or only those not connected to the port yet.
    void rescan(bool reconnectAll);
    void publish(std::vector<MIDISourceInfo> scanned);
    void updateInputOverruns();
    static void notified(const std::shared_ptr<NotificationGate>& gate,
                         MIDINotification notification);
    static void postInputOverruns(const std::shared_ptr<NotificationGate>& gate);

    OwnerThread owner_;
    MIDIService& service_;
    MainQueue& mainQueue_;
    Listener listener_;

    std::vector<MIDISourceInfo> availableSources_;
    std::vector<std::string> connectedSources_;
    SourceIDSet seenSourceIDs_;
    bool midi1ProtocolOnly_ = false;
    bool lastScanEmpty_ = true;
    MIDIService::ClientRef client_ = 0;
    MIDIService::PortRef inputPort_ = 0;
    // The sources connected to the current input port, by reference.
    std::unordered_set<std::uint64_t> connectedRefs_;
    std::uint64_t inputOverruns_ = 0;
    std::shared_ptr<NotificationGate> notificationGate_;
    // Last: posted work ends before anything it touches.
    LifetimeToken lifetime_;
};

} // namespace umbrascope
