#include "terminal/MonitorKeys.hpp"

#include "app/KeyCommands.hpp"

namespace umbrascope::terminal {

namespace {

constexpr std::string_view deviceKeyGuide =
    "Device list: Up/Down choose, Space on/off, v voice, < and > pan, Escape or D closes";

std::string writtenKey(const KeyCommandEntry& entry) {
    if (!entry.written.empty()) return std::string(entry.written);
    return std::string(1, upperCase(entry.characters.front()));
}

} // namespace

std::string helpText() {
    std::string text = "Keys:\n";
    // The window's keys from its own table: an entry without a guide line shares the one above.
    std::string keys;
    std::string_view line;
    const auto endLine = [&] {
        if (keys.empty()) return;
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on string sums at -O3.
        text += keys;
        text += ": ";
        text += line;
        text += '\n';
        keys.clear();
    };
    for (const KeyCommandEntry& entry : keyCommands) {
        if (!entry.guideLine.empty()) {
            endLine();
            line = entry.guideLine;
        }
        if (!keys.empty()) keys += ' ';
        keys += writtenKey(entry);
    }
    endLine();
    for (const auto& key : monitorKeys)
        (text += key.guide) += '\n';
    (text += deviceKeyGuide) += '\n';
    return text;
}

} // namespace umbrascope::terminal
