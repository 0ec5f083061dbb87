#include "midi/alsa/ALSASourceNaming.hpp"

#include "core/Fnv1a.hpp"

namespace umbrascope::alsa {

namespace {

constexpr std::uint32_t referenceTag = 0x80000000u;

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\r\n";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

std::uint32_t sourceReference(PortAddress address) {
    return referenceTag | (static_cast<std::uint32_t>(address.client) & 0xFFu) << 8 |
           (static_cast<std::uint32_t>(address.port) & 0xFFu);
}

std::optional<PortAddress> portAddress(std::uint32_t reference) {
    if ((reference & 0xFFFF0000u) != referenceTag) return std::nullopt;
    return PortAddress{static_cast<int>((reference >> 8) & 0xFFu),
                       static_cast<int>(reference & 0xFFu)};
}

bool isSource(const PortTraits& port, int ownClient) {
    constexpr int systemClient = 0;
    return port.address.client != systemClient && port.address.client != ownClient &&
           port.readable && port.subscribable && !port.noExport;
}

std::int32_t sourceUniqueID(std::string_view clientName, std::string_view portName) {
    // Both names with a separator, so ("ab", "c") and ("a", "bc") differ.
    const std::uint32_t hash = Fnv1a().add(clientName).add('\0').add(portName).value();
    return hash == 0 ? 1 : static_cast<std::int32_t>(hash);
}

std::optional<std::string> sourceDisplayName(std::string_view clientName,
                                             std::string_view portName) {
    const auto client = trimmed(clientName);
    const auto port = trimmed(portName);
    if (client.empty() && port.empty()) return std::nullopt;
    if (client.empty()) return std::string(port);
    if (port.empty()) return std::string(client);
    if (port.find(client) != std::string_view::npos) return std::string(port);
    std::string name(client);
    name += ": ";
    name += port;
    return name;
}

} // namespace umbrascope::alsa
