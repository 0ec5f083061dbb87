#pragma once

#include <cstdint>

namespace umbrascope {

// Protocol of the input port; the raw values are the protocol identifiers of event lists.
enum class MidiProtocol : std::uint8_t { midi1 = 1, midi2 = 2 };

} // namespace umbrascope
