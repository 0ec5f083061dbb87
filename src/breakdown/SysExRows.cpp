#include "breakdown/BreakdownRows.hpp"

namespace umbrascope {

// Placeholder until this family's rows land.
std::vector<FieldRow> sysEx7Rows(std::span<const std::uint32_t>) { return {}; }
std::vector<FieldRow> sysEx8Rows(std::span<const std::uint32_t>) { return {}; }

} // namespace umbrascope
