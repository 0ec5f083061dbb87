#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {

// Placeholder until this family's rows land.
std::vector<FieldRow> midi2ChannelVoiceRows(std::span<const std::uint32_t>) { return {}; }

} // namespace umbrascope
