#pragma once

#include <string>
#include <vector>

#include "breakdown/FieldRow.hpp"

namespace umbrascope::rowtest {

// Each top-level row as "{hex}:{bits} {label}", so a whole breakdown compares as one table.
inline std::vector<std::string> rendered(const std::vector<FieldRow>& rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows)
        lines.push_back(row.hex + ":" + std::to_string(row.bits) + " " + row.label +
                        (row.subRows.empty() ? "" : " +sub-rows"));
    return lines;
}

} // namespace umbrascope::rowtest
