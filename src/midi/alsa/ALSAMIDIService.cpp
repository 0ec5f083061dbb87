#include "midi/alsa/ALSAMIDIService.hpp"

#include "midi/EventPackets.hpp"
#include "midi/alsa/SequencerProblem.hpp"

namespace umbrascope::alsa {

namespace {

constexpr MIDIService::ClientRef theClient = 1;

std::uint32_t referenceOf(SourceRef source) {
    return static_cast<std::uint32_t>(source.value);
}

} // namespace

std::string ALSAMIDIService::openProblem() const {
    return sequencerOpenProblem(sequencer_.openError());
}

std::optional<std::string> ALSAMIDIService::displayName(SourceRef source) const {
    return sequencer_.displayName(referenceOf(source));
}

std::int32_t ALSAMIDIService::uniqueID(SourceRef source) const {
    return sequencer_.uniqueID(referenceOf(source));
}

void ALSAMIDIService::setReceiveCallback(ReceiveCallback callback) {
    std::lock_guard lock(receiverMutex_);
    receiver_ = std::move(callback);
}

MIDIService::ClientRef ALSAMIDIService::createClient(const std::string& name,
                                                     NotificationCallback onNotification) {
    return sequencer_.createClient(name, std::move(onNotification)) ? theClient : 0;
}

MIDIService::PortRef ALSAMIDIService::createInputPort(ClientRef client, const std::string& name,
                                                      MIDIProtocol protocol) {
    if (client != theClient) return 0;
    const bool created = sequencer_.createInputPort(
        name, protocol,
        [this](std::uint32_t reference, MIDIProtocol listProtocol,
               std::span<const std::uint32_t> words) { deliver(reference, listProtocol, words); });
    // One input port at a time; its handle only has to be non-zero.
    return created ? 1 : 0;
}

void ALSAMIDIService::disposePort(PortRef port) {
    if (port != 0) sequencer_.disposeInputPort();
}

std::vector<SourceRef> ALSAMIDIService::sources() const {
    std::vector<SourceRef> found;
    for (const auto reference : sequencer_.sources())
        found.push_back(SourceRef{reference});
    return found;
}

void ALSAMIDIService::connectSource(PortRef port, SourceRef source) {
    if (port != 0) sequencer_.connect(referenceOf(source));
}

void ALSAMIDIService::deliver(std::uint32_t reference, MIDIProtocol protocol,
                              std::span<const std::uint32_t> words) {
    std::lock_guard lock(receiverMutex_);
    if (!receiver_) return;
    if (list_.protocol() != protocol) list_ = EventList(protocol);
    list_.clear();
    addPacketsToEventList(list_, words);
    receiver_(list_, SourceRef{reference});
}

} // namespace umbrascope::alsa
