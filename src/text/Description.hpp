#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Packet.hpp"

namespace umbrascope {

// One-line descriptions, made once per record on the receive thread. `group` is 1-based.
std::string describeUtility(std::uint32_t w0);
std::string describeSystem(std::uint32_t w0, int group);
std::string describeMIDI1ChannelVoice(std::uint32_t w0, int group);
std::string describeData64(std::uint32_t w0, int group);
std::string describeMIDI2ChannelVoice(const PacketWords& packet, int group);
std::string describeData128(std::uint32_t w0, int group);
std::string describeFlexData(std::uint32_t w0, int group);
std::string describeUMPStream(std::uint32_t w0);

// What a packet of no known class is called, in its description and its breakdown alike.
inline constexpr std::string_view unrecognizedMessageType = "Unrecognized message type";

// The description of a packet of the given class, with the arguments the receive path passes.
std::string describePacket(const PacketWords& packet, UMPMessageType type);

} // namespace umbrascope
