#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "core/Clock.hpp"
#include "core/Identifier.hpp"
#include "model/Packet.hpp"
#include "model/StatusCodes.hpp"
#include "model/UMPMessageType.hpp"

namespace umbrascope {

// One received packet. A plain value, identified by `id` alone: there is deliberately no equality.
// The source name is shared by every record of a source, so a full buffer holds each name once.
struct MIDIMessage {
    Identifier id;
    std::int64_t sequenceNumber = 0;
    WallTime timestamp;
    std::shared_ptr<const std::string> sourceNameStorage;
    std::int32_t sourceID = 0;
    PacketWords words;
    UMPMessageType messageType = UMPMessageType::unknown;
    std::string description;
    bool sourceIsUMPNative = false;

    const std::string& sourceName() const;
};

std::shared_ptr<const std::string> makeSourceName(std::string name);

// Words as "%08X", joined by two spaces.
std::string hexString(std::span<const std::uint32_t> words);
inline std::string hexString(const MIDIMessage& message) {
    return hexString(message.words.span());
}

bool isSystemStatus(const MIDIMessage& message, std::uint8_t status);
inline bool isActiveSensing(const MIDIMessage& message) {
    return isSystemStatus(message, ump::systemStatuses::activeSensing);
}
// Only Timing Clock; Start, Continue and Stop are not clock.
inline bool isMidiClock(const MIDIMessage& message) {
    return isSystemStatus(message, ump::systemStatuses::timingClock);
}

} // namespace umbrascope
