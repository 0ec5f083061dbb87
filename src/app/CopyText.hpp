#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "model/MIDIMessage.hpp"

namespace umbrascope {

// What the window's copy commands put on the clipboard.
enum class CopyKind {
    hex,     // the words of each message on one line
    details, // each message's description, then its field breakdown
};

struct CopyCommand {
    CopyKind kind;
    std::string_view menuText; // with its mnemonic
    std::string_view shortcut; // in the toolkit's portable form
    std::string_view hint;
};

inline constexpr std::array<CopyCommand, 2> copyCommands{{
    {CopyKind::hex, "&Copy Hex", "Ctrl+C",
     "Copies the hex words of the current message, or of the selected messages, one line each"},
    {CopyKind::details, "Copy &Description and Breakdown", "Ctrl+Shift+C",
     "Copies the description and the field breakdown of the current message, or of the "
     "selected messages"},
}};

// Messages oldest first; lines end with a line feed, the last one too.
std::string copyText(CopyKind kind, std::span<const MIDIMessage* const> messages);

} // namespace umbrascope
