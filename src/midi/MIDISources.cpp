#include "midi/MIDISources.hpp"

#include <utility>

namespace umbrascope {

namespace {

constexpr const char* clientName = "UmbrascopeClient";
constexpr const char* inputPortName = "UmbrascopeInput";

// Setup notifications that rescan.
constexpr bool rescansOn(MIDINotification notification) {
    switch (notification) {
    case MIDINotification::setupChanged:
    case MIDINotification::objectAdded:
    case MIDINotification::objectRemoved:
        return true;
    case MIDINotification::inputOverrun:
        return false;
    }
    return false;
}

} // namespace

MIDISources::MIDISources(MIDIService& service, MainQueue& mainQueue, Listener listener)
    : service_(service), mainQueue_(mainQueue), listener_(std::move(listener)) {}

MIDISources::~MIDISources() {
    owner_.check("MIDISources::~MIDISources");
    lifetime_.end();
    if (notificationGate_) {
        std::lock_guard lock(notificationGate_->mutex);
        notificationGate_->queue = nullptr;
    }
}

void MIDISources::setup() {
    owner_.check("MIDISources::setup");
    // The notification comes on a service thread: it only posts a rescan, which runs only while
    // this exists. The gate closes when this goes, so a late notification does not even touch
    // the queue, which may be gone too.
    notificationGate_ = std::make_shared<NotificationGate>(&mainQueue_, this, lifetime_.watch());
    client_ = service_.createClient(clientName,
                                    [gate = notificationGate_](MIDINotification notification) {
                                        notified(gate, notification);
                                    });
    createInputPort();
    refresh();
    inputOverruns_ = service_.inputOverruns();
}

void MIDISources::notified(const std::shared_ptr<NotificationGate>& gate,
                           MIDINotification notification) {
    if (notification == MIDINotification::inputOverrun) {
        postInputOverruns(gate);
        return;
    }
    if (!rescansOn(notification)) return;
    std::lock_guard lock(gate->mutex);
    if (gate->queue == nullptr) return;
    // A source that went may come back under the same reference before the rescan runs, needing
    // a new connection that a scan cannot tell from the old one.
    if (notification != MIDINotification::objectAdded) gate->reconnectAll = true;
    // A burst of notifications is one rescan: the scan sees every change made before it.
    if (gate->rescanPending) return;
    gate->rescanPending = true;
    gate->queue->post([gate] {
        bool reconnectAll = false;
        {
            std::lock_guard taken(gate->mutex);
            gate->rescanPending = false;
            reconnectAll = std::exchange(gate->reconnectAll, false);
        }
        if (!gate->alive.expired()) gate->sources->rescan(reconnectAll);
    });
}

void MIDISources::postInputOverruns(const std::shared_ptr<NotificationGate>& gate) {
    std::lock_guard lock(gate->mutex);
    if (gate->queue == nullptr || gate->overrunPending) return;
    gate->overrunPending = true;
    gate->queue->post([gate] {
        {
            std::lock_guard taken(gate->mutex);
            gate->overrunPending = false;
        }
        if (!gate->alive.expired()) gate->sources->updateInputOverruns();
    });
}

void MIDISources::updateInputOverruns() {
    owner_.check("MIDISources::updateInputOverruns");
    const std::uint64_t count = service_.inputOverruns();
    if (count == inputOverruns_) return;
    inputOverruns_ = count;
    if (listener_.inputOverrunsChanged) listener_.inputOverrunsChanged();
}

void MIDISources::createInputPort() {
    owner_.check("MIDISources::createInputPort");
    inputPort_ = service_.createInputPort(
        client_, inputPortName, midi1ProtocolOnly_ ? MIDIProtocol::midi1 : MIDIProtocol::midi2);
    connectedRefs_.clear();
}

void MIDISources::refresh() {
    rescan(true);
}

void MIDISources::rescan(bool reconnectAll) {
    owner_.check("MIDISources::rescan");
    const std::vector<SourceRef> sources = service_.sources();
    std::vector<MIDISourceInfo> scanned;
    scanned.reserve(sources.size());
    std::unordered_set<std::uint64_t> present;
    present.reserve(sources.size());
    for (const SourceRef source : sources) {
        scanned.push_back(
            {service_.uniqueID(source), service_.displayName(source).value_or(unknownSourceName)});
        // Every source is connected, enabled or not: enabling only filters on receipt.
        if (reconnectAll || !connectedRefs_.contains(source.value))
            service_.connectSource(inputPort_, source);
        present.insert(source.value);
    }
    connectedRefs_ = std::move(present);
    // An empty scan after an empty scan would publish nothing new.
    if (scanned.empty() && lastScanEmpty_) return;
    lastScanEmpty_ = scanned.empty();
    mainQueue_.post(lifetime_.guard(
        [this, scanned = std::move(scanned)]() mutable { publish(std::move(scanned)); }));
}

void MIDISources::publish(std::vector<MIDISourceInfo> scanned) {
    owner_.check("MIDISources::publish");
    std::vector<std::string> names;
    names.reserve(scanned.size());
    for (const auto& source : scanned)
        names.push_back(source.name);
    connectedSources_ = std::move(names);
    availableSources_ = std::move(scanned);
    std::vector<std::int32_t> firstSeen;
    for (const auto& source : availableSources_)
        if (seenSourceIDs_.insert(source.id).second) firstSeen.push_back(source.id);
    if (listener_.published) listener_.published(firstSeen);
}

void MIDISources::setMIDI1ProtocolOnly(bool on) {
    owner_.check("MIDISources::setMidi1ProtocolOnly");
    if (on == midi1ProtocolOnly_) return;
    midi1ProtocolOnly_ = on;
    if (inputPort_ != 0) {
        service_.disposePort(inputPort_);
        inputPort_ = 0;
    }
    createInputPort();
    refresh();
    if (listener_.protocolChanged) listener_.protocolChanged();
}

} // namespace umbrascope
