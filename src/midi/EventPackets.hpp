#pragma once

#include <cstdint>
#include <span>

#include "midi/EventList.hpp"

namespace umbrascope {

// Adds a run of UMP packets to an event list as event packets of at most 64 words each, never
// cutting a UMP packet in two, as the platform's event lists carry them.
void addPacketsToEventList(EventList& list, std::span<const std::uint32_t> words);

} // namespace umbrascope
