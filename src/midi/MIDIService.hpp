#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "midi/EventList.hpp"

namespace umbrascope {

// Opaque reference to one source, as the service hands it back with every event list of that
// source. Its meaning belongs to the service that made it.
struct SourceRef {
    std::uint64_t value = 0;
    friend bool operator==(SourceRef, SourceRef) = default;
};

// Setup notifications of a service, with the system MIDI service's numbers. A service may send
// codes that are not named here; they are carried as they are and ignored.
enum class MIDINotification : std::int32_t {
    setupChanged = 1,
    objectAdded = 2,
    objectRemoved = 3,
    // Ours, beyond the system's numbering: incoming events were lost (see inputOverruns).
    inputOverrun = 0x1000,
};

// Called on the service's own delivery thread, one event list at a time per thread. The list is
// valid only during the call. The source is absent when the service could not tell where the list
// came from.
using ReceiveCallback = std::function<void(const EventList&, std::optional<SourceRef>)>;

// The system MIDI service as the message store needs it. Platform adapters (ALSA, replay files)
// implement it; tests use a fake. The source queries may be called from any thread, including the
// delivery thread.
class MIDIService {
public:
    virtual ~MIDIService() = default;

    // Display name of a source, or nothing when it has none.
    virtual std::optional<std::string> displayName(SourceRef source) const = 0;
    // Unique id of a source; 0 when it cannot be read.
    virtual std::int32_t uniqueID(SourceRef source) const = 0;
    // Whether the source is a native UMP (MIDI 2.0) source, given its unique id. The one place
    // this is decided: a service with a UMP endpoint list or a protocol property answers from it.
    virtual bool isNativeUMP(SourceRef source, std::int32_t uniqueID) const = 0;

    // Whether the deliveries of a source may wait for the receiver to catch up: a file can; a live
    // port cannot, since the kernel would lose its events instead. Any thread.
    virtual bool canWait(SourceRef /*source*/) const { return false; }

    // Installs the receiver of every event list; an empty callback detaches it. Once this returns
    // with an empty callback, the previous receiver is no longer running and is never called again.
    virtual void setReceiveCallback(ReceiveCallback callback) = 0;

    // The client, the input port and the source list that the manager keeps current. A feed with
    // no client of its own keeps these defaults: no client, no port, no sources. Called on the
    // main thread.
    using ClientRef = std::uint32_t; // 0: none
    using PortRef = std::uint32_t;   // 0: none
    // Called on a thread of the service.
    using NotificationCallback = std::function<void(MIDINotification)>;

    virtual ClientRef createClient(const std::string& /*name*/, NotificationCallback) { return 0; }
    // Event lists of the sources connected to this port reach the receive callback in `protocol`.
    virtual PortRef createInputPort(ClientRef /*client*/, const std::string& /*name*/,
                                    MIDIProtocol /*protocol*/) {
        return 0;
    }
    virtual void disposePort(PortRef /*port*/) {}
    // Every source, in the service's own order. References stay at or below maxSourceRef, so
    // that a composite of services can tell its children's sources apart.
    virtual std::vector<SourceRef> sources() const { return {}; }
    static constexpr std::uint64_t maxSourceRef = (std::uint64_t{1} << 56) - 1;
    virtual void connectSource(PortRef /*port*/, SourceRef /*source*/) {}

    // Times that incoming events were lost before they reached the receive callback (an input
    // overrun loses one or more). Only grows; an inputOverrun notification follows each increase.
    // Any thread.
    virtual std::uint64_t inputOverruns() const { return 0; }
};

} // namespace umbrascope
