#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "midi/EventList.hpp"
#include "midi/MIDIService.hpp"
#include "midi/alsa/ALSASequencer.hpp"

namespace umbrascope::alsa {

// The ALSA sequencer as the system MIDI service. Sources are MIDI 1.0 ports: their events are
// translated into UMP for the input port's protocol before they reach the receive callback, one
// event list per source and wake-up, on the sequencer's receive thread.
class ALSAMIDIService final : public MIDIService {
public:
    ALSAMIDIService() = default;
    ~ALSAMIDIService() override = default;

    // Whether there is a sequencer to be a client of; createClient opens it too.
    bool open() { return sequencer_.open(); }
    // After a failed open: the line that names its cause and the fix, for the user.
    std::string openProblem() const;

    std::optional<std::string> displayName(SourceRef source) const override;
    std::int32_t uniqueID(SourceRef source) const override;
    // alsa-lib 1.2.8 delivers MIDI 1.0 events from every port.
    bool isNativeUMP(SourceRef, std::int32_t) const override { return false; }
    void setReceiveCallback(ReceiveCallback callback) override;

    ClientRef createClient(const std::string& name, NotificationCallback onNotification) override;
    PortRef createInputPort(ClientRef client, const std::string& name,
                            MIDIProtocol protocol) override;
    void disposePort(PortRef port) override;
    std::vector<SourceRef> sources() const override;
    void connectSource(PortRef port, SourceRef source) override;

    std::uint64_t inputOverruns() const override { return sequencer_.inputOverruns(); }

private:
    void deliver(std::uint32_t reference, MIDIProtocol protocol,
                 std::span<const std::uint32_t> words);

    std::mutex receiverMutex_; // held while delivering, so detaching waits for a delivery
    ReceiveCallback receiver_;
    EventList list_; // the receive thread's, reused for every delivery
    // Last, so it is destroyed first: its receive thread stops before the receiver goes.
    mutable ALSASequencer sequencer_;
};

} // namespace umbrascope::alsa
