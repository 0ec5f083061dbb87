#include "model/Packet.hpp"

namespace umbrascope {

std::vector<PacketWords> splitPackets(std::span<const std::uint32_t> words) {
    std::vector<PacketWords> packets;
    forEachPacket(words,
                  [&](const PacketWords& packet, PacketClass) { packets.push_back(packet); });
    return packets;
}

} // namespace umbrascope
