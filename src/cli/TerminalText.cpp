#include "cli/TerminalText.hpp"

namespace umbrascope::cli {

std::string quotedToken(std::string_view token) {
    constexpr std::size_t limit = 40;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "'" + std::string at -O3.
    std::string out(1, '\'');
    out += terminalSafe(token.substr(0, limit));
    out += token.size() > limit ? "...'" : "'";
    return out;
}

} // namespace umbrascope::cli
