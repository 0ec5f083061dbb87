#include "midi/alsa/AlsaMidiService.hpp"

#include "midi/EventPackets.hpp"
#include "midi/alsa/SequencerProblem.hpp"

namespace umbrascope::alsa {

namespace {

constexpr MidiService::ClientRef theClient = 1;

std::uint32_t referenceOf(SourceRef source) {
    return static_cast<std::uint32_t>(source.value);
}

} // namespace

std::string AlsaMidiService::openProblem() const {
    return sequencerOpenProblem(sequencer_.openError());
}

std::optional<std::string> AlsaMidiService::displayName(SourceRef source) const {
    return sequencer_.displayName(referenceOf(source));
}

std::int32_t AlsaMidiService::uniqueID(SourceRef source) const {
    return sequencer_.uniqueID(referenceOf(source));
}

void AlsaMidiService::setReceiveCallback(ReceiveCallback callback) {
    std::lock_guard lock(receiverMutex_);
    receiver_ = std::move(callback);
}

MidiService::ClientRef AlsaMidiService::createClient(const std::string& name,
                                                     NotificationCallback onNotification) {
    return sequencer_.createClient(name, std::move(onNotification)) ? theClient : 0;
}

MidiService::PortRef AlsaMidiService::createInputPort(ClientRef client, const std::string& name,
                                                      MidiProtocol protocol) {
    if (client != theClient) return 0;
    const bool created = sequencer_.createInputPort(
        name, protocol,
        [this](std::uint32_t reference, MidiProtocol listProtocol,
               std::span<const std::uint32_t> words) { deliver(reference, listProtocol, words); });
    // One input port at a time; its handle only has to be non-zero.
    return created ? 1 : 0;
}

void AlsaMidiService::disposePort(PortRef port) {
    if (port != 0) sequencer_.disposeInputPort();
}

std::vector<SourceRef> AlsaMidiService::sources() const {
    std::vector<SourceRef> found;
    for (const auto reference : sequencer_.sources())
        found.push_back(SourceRef{reference});
    return found;
}

void AlsaMidiService::connectSource(PortRef port, SourceRef source) {
    if (port != 0) sequencer_.connect(referenceOf(source));
}

void AlsaMidiService::deliver(std::uint32_t reference, MidiProtocol protocol,
                              std::span<const std::uint32_t> words) {
    std::lock_guard lock(receiverMutex_);
    if (!receiver_) return;
    if (list_.protocol() != protocol) list_ = EventList(protocol);
    list_.clear();
    addPacketsToEventList(list_, words);
    receiver_(list_, SourceRef{reference});
}

} // namespace umbrascope::alsa
