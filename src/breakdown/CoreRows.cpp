#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {

// Placeholder until this family's rows land.
std::vector<FieldRow> utilityRows(std::uint32_t) { return {}; }
std::vector<FieldRow> systemRows(std::uint32_t) { return {}; }
std::vector<FieldRow> midi1ChannelVoiceRows(std::uint32_t) { return {}; }

} // namespace umbrascope
