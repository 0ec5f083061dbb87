#pragma once

#include <string>
#include <string_view>

#include "text/TerminalSafe.hpp"

namespace umbrascope::cli {

// The desktop program's stderr uses the same escaping.
using umbrascope::appendTerminalSafe;
using umbrascope::terminalSafe;

// A command-line token as an error line shows it: in quotes, terminal-safe, cut short when long.
std::string quotedToken(std::string_view token);

} // namespace umbrascope::cli
