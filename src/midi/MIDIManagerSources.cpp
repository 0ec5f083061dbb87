#include <algorithm>
#include <utility>

#include "midi/MIDIManager.hpp"

namespace umbrascope {

namespace {

constexpr const char* clientName = "UmbrascopeClient";
constexpr const char* inputPortName = "UmbrascopeInput";

constexpr std::int32_t midi2ProtocolID = 2;

// Setup notifications that rescan: setup changed, object added, object removed.
constexpr bool rescansOn(std::int32_t messageID) {
    return messageID >= 1 && messageID <= 3;
}

} // namespace

void MIDIManager::setupMIDI() {
    // The notification comes on a service thread: it only posts a rescan, which holds the manager
    // weakly. The gate closes when the manager goes, so a late notification touches nothing.
    notificationGate_ = std::make_shared<NotificationGate>();
    notificationGate_->queue = &mainQueue_;
    notificationGate_->token = weakToken_;
    client_ = service_.createClient(clientName, [gate = notificationGate_](std::int32_t messageID) {
        if (!rescansOn(messageID)) return;
        std::lock_guard lock(gate->mutex);
        if (gate->queue == nullptr) return;
        gate->queue->post([token = gate->token] {
            if (const auto alive = token.lock(); alive && alive->manager)
                alive->manager->refreshSources();
        });
    });
    createInputPort();
    refreshSources();
}

void MIDIManager::createInputPort() {
    inputPort_ = service_.createInputPort(
        client_, inputPortName, midi1ProtocolOnly_ ? MidiProtocol::midi1 : MidiProtocol::midi2);
}

void MIDIManager::refreshSources() {
    if (service_.hasUMPEndpointManager()) refreshNativeUMPSourceIDs();
    std::vector<MIDISourceInfo> scanned;
    for (const SourceRef source : service_.sources()) {
        scanned.push_back(
            {service_.uniqueID(source), service_.displayName(source).value_or(unknownSourceName)});
        // Every source is connected, enabled or not: enabling only filters on receipt.
        service_.connectSource(inputPort_, source);
    }
    // An empty scan after an empty scan would publish nothing new.
    if (scanned.empty() && lastScanEmpty_) return;
    lastScanEmpty_ = scanned.empty();
    mainQueue_.post([token = weakToken_, scanned = std::move(scanned)]() mutable {
        if (const auto alive = token.lock(); alive && alive->manager)
            alive->manager->publishSources(std::move(scanned));
    });
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

void MIDIManager::refreshNativeUMPSourceIDs() {
    auto ids = std::make_shared<const SourceIDSet>([this] {
        SourceIDSet found;
        for (const SourceRef source : service_.umpEndpointSources())
            found.insert(service_.uniqueID(source));
        return found;
    }());
    std::lock_guard lock(nativeMutex_);
    nativeUMPSourceIDs_.swap(ids); // the old set is freed outside the lock
}

MIDIManager::SourceIDSet MIDIManager::nativeUMPSourceIDs() const {
    std::lock_guard lock(nativeMutex_);
    return *nativeUMPSourceIDs_;
}

bool MIDIManager::isSourceNativeUMP(SourceRef source, std::int32_t id) const {
    if (service_.hasUMPEndpointManager()) {
        std::lock_guard lock(nativeMutex_);
        return nativeUMPSourceIDs_->contains(id);
    }
    // Without an endpoint manager the source's protocol property decides; a failed read is not
    // native.
    return service_.protocolID(source) == midi2ProtocolID;
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
