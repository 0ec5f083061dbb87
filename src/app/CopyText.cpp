#include "app/CopyText.hpp"

#include "breakdown/BreakdownRows.hpp"
#include "breakdown/BreakdownText.hpp"
#include "text/TerminalSafe.hpp"

namespace umbrascope {

std::string copyText(CopyKind kind, std::span<const MIDIMessage* const> messages) {
    std::string text;
    for (const MIDIMessage* message : messages) {
        if (kind == CopyKind::hex) {
            text += hexString(*message);
            text += '\n';
            continue;
        }
        // A blank line between messages keeps each breakdown with its description.
        if (!text.empty()) text += '\n';
        // Descriptions quote device text; pasted into a terminal it must stay inert.
        appendTerminalSafe(text, message->description);
        text += '\n';
        text += breakdownPlainLines(breakdownRows(*message));
    }
    return text;
}

} // namespace umbrascope
