#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace umbrascope {

// Class of a packet by the message-type nibble of its first word. Raw values are the nibbles;
// every nibble without a class of its own is `unknown` (-1).
enum class UMPMessageType : std::int32_t {
    utility = 0,
    system = 1,
    midi1ChannelVoice = 2,
    data64 = 3,
    midi2ChannelVoice = 4,
    data128 = 5,
    flexData = 13,
    umpStream = 15,
    unknown = -1,
};

// Declaration order.
inline constexpr std::array<UMPMessageType, 9> allMessageTypes{
    UMPMessageType::utility,           UMPMessageType::system,
    UMPMessageType::midi1ChannelVoice, UMPMessageType::data64,
    UMPMessageType::midi2ChannelVoice, UMPMessageType::data128,
    UMPMessageType::flexData,          UMPMessageType::umpStream,
    UMPMessageType::unknown,
};

// The eight known types in the order of the legend and of the digit keys 1 to 8.
inline constexpr std::array<UMPMessageType, 8> legendOrder{
    UMPMessageType::midi1ChannelVoice,
    UMPMessageType::midi2ChannelVoice,
    UMPMessageType::system,
    UMPMessageType::data64,
    UMPMessageType::data128,
    UMPMessageType::utility,
    UMPMessageType::flexData,
    UMPMessageType::umpStream,
};

constexpr std::int32_t rawValue(UMPMessageType type) {
    return static_cast<std::int32_t>(type);
}

// Accepts exactly -1, 0, 1, 2, 3, 4, 5, 13 and 15.
std::optional<UMPMessageType> umpMessageTypeFromRaw(std::int64_t raw);

// The label the user interface shows for a class ("MIDI 2.0 Channel Voice").
std::string_view displayName(UMPMessageType type);

// The enumeration case name ("midi2ChannelVoice"), used on the command line and in JSON.
std::string_view caseName(UMPMessageType type);
std::optional<UMPMessageType> umpMessageTypeFromCaseName(std::string_view name);

// Small set of message types, a plain value indexed by declaration order.
class MessageTypeSet {
public:
    constexpr MessageTypeSet() = default;
    constexpr bool contains(UMPMessageType type) const { return (mask_ >> index(type)) & 1u; }
    constexpr void insert(UMPMessageType type) {
        mask_ |= static_cast<std::uint16_t>(1u << index(type));
    }
    constexpr void erase(UMPMessageType type) {
        mask_ &= static_cast<std::uint16_t>(~(1u << index(type)));
    }
    constexpr bool empty() const { return mask_ == 0; }
    friend constexpr bool operator==(MessageTypeSet, MessageTypeSet) = default;

private:
    static constexpr unsigned index(UMPMessageType type) {
        for (unsigned i = 0; i < allMessageTypes.size(); ++i)
            if (allMessageTypes[i] == type) return i;
        return allMessageTypes.size() - 1;
    }
    std::uint16_t mask_ = 0;
};

} // namespace umbrascope
