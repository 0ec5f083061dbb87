#include "model/UMPMessageType.hpp"

namespace umbrascope {

namespace {

struct TypeInfo {
    UMPMessageType type;
    std::string_view caseName;
    std::string_view displayName;
};

constexpr std::array<TypeInfo, 9> typeInfo{{
    {UMPMessageType::utility, "utility", "Utility"},
    {UMPMessageType::system, "system", "System Real-Time / Common"},
    {UMPMessageType::midi1ChannelVoice, "midi1ChannelVoice", "MIDI 1.0 Channel Voice"},
    {UMPMessageType::data64, "data64", "SysEx (7-bit)"},
    {UMPMessageType::midi2ChannelVoice, "midi2ChannelVoice", "MIDI 2.0 Channel Voice"},
    {UMPMessageType::data128, "data128", "SysEx (8-bit) / Mixed Data"},
    {UMPMessageType::flexData, "flexData", "Flex Data"},
    {UMPMessageType::umpStream, "umpStream", "UMP Stream"},
    {UMPMessageType::unknown, "unknown", "Unknown"},
}};

const TypeInfo& info(UMPMessageType type) {
    for (const auto& entry : typeInfo)
        if (entry.type == type) return entry;
    return typeInfo.back();
}

} // namespace

std::optional<UMPMessageType> umpMessageTypeFromRaw(std::int64_t raw) {
    for (const auto& entry : typeInfo)
        if (rawValue(entry.type) == raw) return entry.type;
    return std::nullopt;
}

std::string_view displayName(UMPMessageType type) {
    return info(type).displayName;
}

std::string_view caseName(UMPMessageType type) {
    return info(type).caseName;
}

std::optional<UMPMessageType> umpMessageTypeFromCaseName(std::string_view name) {
    for (const auto& entry : typeInfo)
        if (entry.caseName == name) return entry.type;
    return std::nullopt;
}

} // namespace umbrascope
