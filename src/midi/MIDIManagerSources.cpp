#include <algorithm>
#include <utility>

#include "midi/MIDIManager.hpp"

namespace umbrascope {

namespace {

constexpr const char* clientName = "UmbrascopeClient";
constexpr const char* inputPortName = "UmbrascopeInput";

// Setup notifications that rescan.
constexpr bool rescansOn(MidiNotification notification) {
    switch (notification) {
    case MidiNotification::setupChanged:
    case MidiNotification::objectAdded:
    case MidiNotification::objectRemoved:
        return true;
    case MidiNotification::inputOverrun:
        return false;
    }
    return false;
}

} // namespace

void MIDIManager::setupMIDI() {
    // The notification comes on a service thread: it only posts a rescan, which runs only while
    // the manager exists. The gate closes when the manager goes, so a late notification does not
    // even touch the queue, which may be gone too.
    notificationGate_ = std::make_shared<NotificationGate>(&mainQueue_, this, lifetime_.watch());
    client_ = service_.createClient(
        clientName, [gate = notificationGate_](MidiNotification notification) {
            if (notification == MidiNotification::inputOverrun) {
                postInputOverruns(gate);
                return;
            }
            if (!rescansOn(notification)) return;
            std::lock_guard lock(gate->mutex);
            if (gate->queue == nullptr) return;
            // A source that went may come back under the same reference before the rescan runs,
            // needing a new connection that a scan cannot tell from the old one.
            if (notification != MidiNotification::objectAdded) gate->reconnectAll = true;
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
                if (!gate->alive.expired()) gate->manager->rescan(reconnectAll);
            });
        });
    createInputPort();
    refreshSources();
    inputOverruns_ = service_.inputOverruns();
}

void MIDIManager::postInputOverruns(const std::shared_ptr<NotificationGate>& gate) {
    std::lock_guard lock(gate->mutex);
    if (gate->queue == nullptr || gate->overrunPending) return;
    gate->overrunPending = true;
    gate->queue->post([gate] {
        {
            std::lock_guard taken(gate->mutex);
            gate->overrunPending = false;
        }
        if (!gate->alive.expired()) gate->manager->updateInputOverruns();
    });
}

void MIDIManager::updateInputOverruns() {
    const std::uint64_t count =
        service_.inputOverruns() + backlogLosses_.load(std::memory_order_relaxed);
    if (count == inputOverruns_) return;
    inputOverruns_ = count;
    observers_.notify(MIDIManagerProperty::inputOverruns);
}

void MIDIManager::createInputPort() {
    inputPort_ = service_.createInputPort(
        client_, inputPortName, midi1ProtocolOnly_ ? MidiProtocol::midi1 : MidiProtocol::midi2);
    connectedRefs_.clear();
}

void MIDIManager::refreshSources() {
    rescan(true);
}

void MIDIManager::rescan(bool reconnectAll) {
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
        [this, scanned = std::move(scanned)]() mutable { publishSources(std::move(scanned)); }));
}

void MIDIManager::publishSources(std::vector<MIDISourceInfo> scanned) {
    std::vector<std::string> names;
    names.reserve(scanned.size());
    for (const auto& source : scanned)
        names.push_back(source.name);
    connectedSources_ = std::move(names);
    availableSources_ = std::move(scanned);
    // A source is enabled the first time it is seen and never again, so a source the user
    // disabled stays disabled through rescans, unplugging and replugging.
    bool enabledChanged = false;
    for (const auto& source : availableSources_)
        if (seenSourceIDs_.insert(source.id).second)
            enabledChanged |= settings_.enabledSourceIDs.insert(source.id).second;
    observers_.notify(MIDIManagerProperty::connectedSources);
    observers_.notify(MIDIManagerProperty::availableSources);
    if (enabledChanged) publishSettings(MIDIManagerProperty::enabledSourceIDs);
}

void MIDIManager::setMidi1ProtocolOnly(bool on) {
    if (on == midi1ProtocolOnly_) return;
    midi1ProtocolOnly_ = on;
    if (inputPort_ != 0) {
        service_.disposePort(inputPort_);
        inputPort_ = 0;
    }
    createInputPort();
    refreshSources();
    observers_.notify(MIDIManagerProperty::midi1ProtocolOnly);
}

} // namespace umbrascope
