#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "midi/EventList.hpp"
#include "midi/MIDIService.hpp"

namespace umbrascope::alsa {

// The ALSA sequencer as the system MIDI service: one client with a writable input port (other
// programs may connect to it too), the readable ports of the other clients as sources, hotplug
// through the System Announce port, and a receive thread that turns the MIDI 1.0 events of every
// source into UMP words for the input port's protocol.
//
// Threads: every member function runs on the owner's (main) thread. The receive thread calls the
// notification handler and the receive handler; the receive handler gets all words that one
// source sent in one wake-up as one call, never for two sources at once. The name and id queries
// may also be called from inside the receive handler. Destruction wakes and joins the thread.
class ALSASequencer {
public:
    // Setup changes, and input overruns after the wake-up that found them.
    using NotificationHandler = std::function<void(MIDINotification)>;
    using ReceiveHandler = std::function<void(std::uint32_t sourceReference, MIDIProtocol,
                                              std::span<const std::uint32_t> words)>;

    ALSASequencer();
    ~ALSASequencer();
    ALSASequencer(const ALSASequencer&) = delete;
    ALSASequencer& operator=(const ALSASequencer&) = delete;

    // Opens the sequencer, or finds that there is none (no /dev/snd/seq); alsa-lib prints nothing
    // either way. Starts nothing.
    bool open();
    // Why the last open failed, as a negative errno value; 0 when it did not fail.
    int openError() const;
    // Opens the sequencer if needed, names the client and starts the receive thread. False when
    // there is no sequencer.
    bool createClient(const std::string& name, NotificationHandler onNotification);
    bool isOpen() const;

    bool createInputPort(const std::string& name, MIDIProtocol protocol, ReceiveHandler onReceive);
    void disposeInputPort();

    // Connection references of every source, in the sequencer's client and port order.
    std::vector<std::uint32_t> sources();
    std::optional<std::string> displayName(std::uint32_t sourceReference);
    // 0 when the port cannot be read.
    std::int32_t uniqueID(std::uint32_t sourceReference);
    void connect(std::uint32_t sourceReference);

    // Input overruns the sequencer reported (events lost before they reached us).
    std::uint64_t inputOverruns() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace umbrascope::alsa
