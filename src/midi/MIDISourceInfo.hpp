#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace umbrascope {

// What a source without a readable name is called.
inline constexpr const char* unknownSourceName = "Unknown Source";

// One MIDI source as listed to the user. Identified by `id`; equal when id and name are equal.
struct MIDISourceInfo {
    std::int32_t id = 0;
    std::string name;

    friend bool operator==(const MIDISourceInfo&, const MIDISourceInfo&) = default;
};

} // namespace umbrascope

template <>
struct std::hash<umbrascope::MIDISourceInfo> {
    std::size_t operator()(const umbrascope::MIDISourceInfo& source) const noexcept {
        // id first, then the name, combined as boost::hash_combine does.
        std::size_t seed = std::hash<std::int32_t>{}(source.id);
        seed ^= std::hash<std::string>{}(source.name) + 0x9E3779B97F4A7C15ull + (seed << 6) +
                (seed >> 2);
        return seed;
    }
};
