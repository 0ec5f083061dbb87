#include "core/Identifier.hpp"

#include <atomic>
#include <random>

#include "core/Hex.hpp"

namespace umbrascope {

namespace {

std::uint64_t processPrefix() {
    static const std::uint64_t prefix = [] {
        std::random_device device;
        const std::uint64_t value = (std::uint64_t{device()} << 32) ^ device();
        // Version 4 and variant bits, so the text form reads as a random UUID.
        return (value & 0xFFFFFFFFFFFF0FFFull) | 0x0000000000004000ull;
    }();
    return prefix;
}

std::atomic<std::uint64_t> counter{1};

} // namespace

Identifier Identifier::make() {
    const std::uint64_t n = counter.fetch_add(1, std::memory_order_relaxed);
    return Identifier{processPrefix(), (n & 0x3FFFFFFFFFFFFFFFull) | 0x8000000000000000ull};
}

std::string Identifier::toString() const {
    std::string text;
    text.reserve(36);
    hex::append(text, high >> 32, 8);
    text += '-';
    hex::append(text, (high >> 16) & 0xFFFF, 4);
    text += '-';
    hex::append(text, high & 0xFFFF, 4);
    text += '-';
    hex::append(text, low >> 48, 4);
    text += '-';
    hex::append(text, low & 0xFFFFFFFFFFFFull, 12);
    return text;
}

} // namespace umbrascope
