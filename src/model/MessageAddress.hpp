#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "model/Fields.hpp"
#include "model/UMPMessageType.hpp"
#include "model/fields/FlexDataFields.hpp"

namespace umbrascope {

// The group and channel a message is addressed to, 0-based as on the wire; none where its type
// carries no such field.
struct MessageAddress {
    std::optional<std::uint8_t> group;
    std::optional<std::uint8_t> channel;

    friend constexpr bool operator==(const MessageAddress&, const MessageAddress&) = default;
};

// Where a type's word 0 holds a channel.
enum class ChannelField {
    none,
    always,
    // Flex Data: only when its address field names a channel; otherwise it speaks to the whole
    // group.
    whenChannelAddressed,
};

struct AddressFields {
    UMPMessageType type;
    bool group;
    ChannelField channel;
};

// Utility and UMP Stream messages belong to no group. Reserved types are read as neither: their
// layout is not known, and a filter must not hide what it cannot read.
inline constexpr std::array<AddressFields, 9> addressFields{{
    {UMPMessageType::utility, false, ChannelField::none},
    {UMPMessageType::system, true, ChannelField::none},
    {UMPMessageType::midi1ChannelVoice, true, ChannelField::always},
    {UMPMessageType::data64, true, ChannelField::none},
    {UMPMessageType::midi2ChannelVoice, true, ChannelField::always},
    {UMPMessageType::data128, true, ChannelField::none},
    {UMPMessageType::flexData, true, ChannelField::whenChannelAddressed},
    {UMPMessageType::umpStream, false, ChannelField::none},
    {UMPMessageType::unknown, false, ChannelField::none},
}};

constexpr AddressFields addressFieldsOf(UMPMessageType type) {
    for (const AddressFields& fields : addressFields)
        if (fields.type == type) return fields;
    return addressFields.back();
}

// By the stored class, as the breakdown reads it, and word 0.
constexpr MessageAddress messageAddress(UMPMessageType type, std::uint32_t w0) {
    const AddressFields fields = addressFieldsOf(type);
    MessageAddress address;
    if (fields.group) address.group = ump::group(w0);
    if (fields.channel == ChannelField::always ||
        (fields.channel == ChannelField::whenChannelAddressed && ump::flex::address(w0) == 0))
        address.channel = ump::channel(w0);
    return address;
}

static_assert(messageAddress(UMPMessageType::midi1ChannelVoice, 0x2A9F3C64u) ==
              MessageAddress{0xA, 0xF});
static_assert(messageAddress(UMPMessageType::flexData, 0xD3050000u) == MessageAddress{3, 5});
static_assert(messageAddress(UMPMessageType::flexData, 0xD3150000u) ==
              MessageAddress{3, std::nullopt});
static_assert(messageAddress(UMPMessageType::umpStream, 0xF4030000u) == MessageAddress{});

} // namespace umbrascope
