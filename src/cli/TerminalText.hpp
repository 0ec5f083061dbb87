#pragma once

#include <string>
#include <string_view>

namespace umbrascope::cli {

// Text from a device made safe for a terminal: control characters (C0, DEL, C1) and bytes that
// are not UTF-8 are written as escapes (\n, \r, \t, \xHH, \u0085), so a device name or a text
// event cannot move the cursor, retitle the window or hide output. Printable text is unchanged.
std::string terminalSafe(std::string_view text);

// A command-line token as an error line shows it: in quotes, terminal-safe, cut short when long.
std::string quotedToken(std::string_view token);

} // namespace umbrascope::cli
