#pragma once

#include <string>
#include <string_view>

namespace umbrascope {

// Text from outside (arguments, device and file text, voice names) made safe for a terminal:
// control characters (C0, DEL, C1), invisible formatting (bidi marks and overrides, zero-width
// characters, line and paragraph separators, the byte-order mark) and bytes that are not UTF-8
// (overlongs and surrogates included) are written as escapes (\n, \r, \t, \xHH, \u0085,
// \u202E), so no such text can move the cursor, retitle the window, reorder or hide output.
// Printable text is unchanged. The one path for all of it.
std::string terminalSafe(std::string_view text);
// The same, appended to `out`.
void appendTerminalSafe(std::string& out, std::string_view text);

} // namespace umbrascope
