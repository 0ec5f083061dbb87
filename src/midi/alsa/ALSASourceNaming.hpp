#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The parts of source handling that need no sequencer: which ports are sources, their unique ids
// and their display names. Free of ALSA types so that they are tested without a sound card.
namespace umbrascope::alsa {

// The sequencer address of a port, packed into a connection reference that is never 0.
struct PortAddress {
    int client = 0;
    int port = 0;
    friend bool operator==(const PortAddress&, const PortAddress&) = default;
};
std::uint32_t sourceReference(PortAddress address);
std::optional<PortAddress> portAddress(std::uint32_t reference);

// What a port says of itself, as far as choosing sources goes.
struct PortTraits {
    PortAddress address;
    bool readable = false;     // others may read from it
    bool subscribable = false; // others may subscribe to read from it
    bool noExport = false;     // its owner asks that nobody routes it
};

// Every readable, subscribable port of every other client except the System client, unless it
// is marked no-export.
bool isSource(const PortTraits& port, int ownClient);

// A stable id for a source: the same for the same client and port names, across unplug and replug
// and across runs, and never 0 (0 stands for an unreadable id).
std::int32_t sourceUniqueID(std::string_view clientName, std::string_view portName);

// The name a user knows the port by: the port name when it already names the device (it contains
// the client name), otherwise "client: port"; one of them alone when the other is blank; nothing
// when both are blank, so the caller shows "Unknown Source".
std::optional<std::string> sourceDisplayName(std::string_view clientName,
                                             std::string_view portName);

} // namespace umbrascope::alsa
