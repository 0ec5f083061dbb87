#pragma once

#include <span>
#include <string>

#include "breakdown/FieldRow.hpp"

namespace umbrascope {

// The field breakdown as plain text: one line per row ("    3C        8 bits  Note Number = C4"),
// sub-rows indented one more step; labels made terminal-safe. The command line, the terminal
// monitor and the window's copy all write it.
std::string breakdownPlainLines(std::span<const FieldRow> rows);

} // namespace umbrascope
