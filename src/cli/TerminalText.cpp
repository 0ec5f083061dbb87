#include "cli/TerminalText.hpp"

#include "core/Hex.hpp"
#include "text/Utf8Decoding.hpp"

namespace umbrascope::cli {

namespace {

void appendByteEscape(std::string& out, unsigned value) {
    out += "\\x";
    hex::append(out, value, 2);
}

} // namespace

std::string terminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Sequence c = nextUtf8Sequence(text, i);
        if (!c.valid) {
            for (const char byte : text.substr(i, c.length))
                appendByteEscape(out, static_cast<unsigned char>(byte));
            i += c.length;
            continue;
        }
        const char32_t cp = c.codePoint;
        if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp == '\t') {
            out += "\\t";
        } else if (cp < 0x20 || cp == 0x7F) {
            appendByteEscape(out, static_cast<unsigned>(cp));
        } else if (cp >= 0x80 && cp <= 0x9F) {
            out += "\\u";
            hex::append(out, cp, 4);
        } else {
            out.append(text.substr(i, c.length));
        }
        i += c.length;
    }
    return out;
}

std::string quotedToken(std::string_view token) {
    constexpr std::size_t limit = 40;
    // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on "'" + std::string at -O3.
    std::string out(1, '\'');
    out += terminalSafe(token.substr(0, limit));
    out += token.size() > limit ? "...'" : "'";
    return out;
}

} // namespace umbrascope::cli
