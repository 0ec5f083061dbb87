#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "model/Fields.hpp"
#include "model/UMPMessageType.hpp"

namespace umbrascope {

// The words of one packet, held inline: a packet is at most four words, so records need no
// allocation for them. Never empty once built by the splitter.
class PacketWords {
public:
    static constexpr std::size_t capacity = 4;

    constexpr PacketWords() = default;
    constexpr PacketWords(std::initializer_list<std::uint32_t> words) {
        for (auto word : words)
            if (count_ < capacity) data_[count_++] = word;
    }
    explicit constexpr PacketWords(std::span<const std::uint32_t> words) {
        for (auto word : words)
            if (count_ < capacity) data_[count_++] = word;
    }

    constexpr std::size_t size() const { return count_; }
    constexpr bool empty() const { return count_ == 0; }
    constexpr std::uint32_t operator[](std::size_t i) const { return data_[i]; }
    // Word i, or 0 where the packet ended early.
    constexpr std::uint32_t wordOrZero(std::size_t i) const { return i < count_ ? data_[i] : 0; }
    constexpr const std::uint32_t* begin() const { return data_.data(); }
    constexpr const std::uint32_t* end() const { return data_.data() + count_; }
    constexpr std::span<const std::uint32_t> span() const { return {data_.data(), count_}; }
    std::vector<std::uint32_t> toVector() const { return {begin(), end()}; }

    friend constexpr bool operator==(const PacketWords& a, const PacketWords& b) {
        if (a.count_ != b.count_) return false;
        for (std::size_t i = 0; i < a.count_; ++i)
            if (a.data_[i] != b.data_[i]) return false;
        return true;
    }

private:
    std::array<std::uint32_t, capacity> data_{};
    std::uint8_t count_ = 0;
};

struct PacketClass {
    UMPMessageType type;
    std::size_t length; // words: 1, 2 or 4
};

namespace detail {
// Indexed by the message-type nibble. Reserved nibbles are one-word `unknown` packets, not the
// longer lengths the UMP standard reserves for them.
inline constexpr std::array<PacketClass, 16> packetClasses{{
    {UMPMessageType::utility, 1},
    {UMPMessageType::system, 1},
    {UMPMessageType::midi1ChannelVoice, 1},
    {UMPMessageType::data64, 2},
    {UMPMessageType::midi2ChannelVoice, 2},
    {UMPMessageType::data128, 4},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::flexData, 4},
    {UMPMessageType::unknown, 1},
    {UMPMessageType::umpStream, 4},
}};
} // namespace detail

constexpr PacketClass classifyPacket(std::uint32_t word0) {
    return detail::packetClasses[ump::messageTypeNibble(word0)];
}

// Calls visit(PacketWords, PacketClass) for every packet of a run of words, in order. A packet cut
// short by the end of the run keeps the words it has.
template <typename Visitor>
constexpr void forEachPacket(std::span<const std::uint32_t> words, Visitor&& visit) {
    std::size_t i = 0;
    while (i < words.size()) {
        const PacketClass cls = classifyPacket(words[i]);
        const std::size_t end = i + cls.length < words.size() ? i + cls.length : words.size();
        visit(PacketWords(words.subspan(i, end - i)), cls);
        i = end;
    }
}

std::vector<PacketWords> splitPackets(std::span<const std::uint32_t> words);

} // namespace umbrascope
