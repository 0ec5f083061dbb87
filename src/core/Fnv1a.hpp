#pragma once

#include <cstdint>
#include <string_view>

namespace umbrascope {

// 32-bit FNV-1a: the same value on every run, build and platform, so ids made from names stay
// stable across restarts.
class Fnv1a {
public:
    constexpr Fnv1a& add(unsigned char byte) {
        value_ = (value_ ^ byte) * 16777619u;
        return *this;
    }
    constexpr Fnv1a& add(std::string_view bytes) {
        for (const char c : bytes)
            add(static_cast<unsigned char>(c));
        return *this;
    }
    constexpr std::uint32_t value() const { return value_; }

private:
    std::uint32_t value_ = 2166136261u;
};

static_assert(Fnv1a().value() == 0x811C9DC5u);
static_assert(Fnv1a().add("a").value() == 0xE40C292Cu);

} // namespace umbrascope
