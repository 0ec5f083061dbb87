#include "text/Description.hpp"

namespace umbrascope {

// Placeholder until the description patterns land.
std::string describeUtility(std::uint32_t) { return {}; }
std::string describeSystem(std::uint32_t, int) { return {}; }
std::string describeMidi1ChannelVoice(std::uint32_t, int) { return {}; }
std::string describeData64(std::uint32_t, int) { return {}; }
std::string describeMidi2ChannelVoice(std::span<const std::uint32_t>, int) { return {}; }
std::string describeData128(std::uint32_t, int) { return {}; }
std::string describeFlexData(std::uint32_t, int) { return {}; }
std::string describeUmpStream(std::uint32_t) { return {}; }
std::string describePacket(const PacketWords&, UMPMessageType) { return {}; }

} // namespace umbrascope
