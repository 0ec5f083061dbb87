#include "text/TerminalSafe.hpp"

#include "core/Hex.hpp"
#include "text/UTF8Decoding.hpp"

namespace umbrascope {

namespace {

struct CodePointRange {
    char32_t first;
    char32_t last;
};

// Invisible characters that reorder, join or break the text around them: a device name holding
// U+202E shows its rest reversed, and a byte-order mark looks like nothing at all.
constexpr CodePointRange invisibleFormatting[] = {
    {0x061C, 0x061C}, // Arabic letter mark
    {0x180E, 0x180E}, // Mongolian vowel separator
    {0x200B, 0x200F}, // zero-width space, non-joiner, joiner; left-to-right and right-to-left marks
    {0x2028, 0x202E}, // line and paragraph separators; bidi embeddings and overrides
    {0x2060, 0x206F}, // word joiner, invisible operators, bidi isolates, deprecated formatting
    {0xFEFF, 0xFEFF}, // byte-order mark, zero-width no-break space
    {0xFFF9, 0xFFFB}, // interlinear annotation
};

bool isInvisibleFormatting(char32_t cp) {
    for (const auto& range : invisibleFormatting)
        if (cp >= range.first && cp <= range.last) return true;
    return false;
}

void appendCodePointEscape(std::string& out, char32_t cp) {
    out += "\\u";
    hex::append(out, cp, 4);
}

void appendByteEscape(std::string& out, unsigned value) {
    out += "\\x";
    hex::append(out, value, 2);
}

} // namespace

std::string terminalSafe(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    appendTerminalSafe(out, text);
    return out;
}

void appendTerminalSafe(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        // Printable ASCII, most of any text, goes over a run at a time.
        const std::size_t run = i;
        while (i < text.size() && text[i] >= ' ' && text[i] <= '~')
            ++i;
        out.append(text.substr(run, i - run));
        if (i == text.size()) break;
        const UTF8Sequence c = nextUTF8Sequence(text, i);
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
        } else if ((cp >= 0x80 && cp <= 0x9F) || isInvisibleFormatting(cp)) {
            appendCodePointEscape(out, cp);
        } else {
            out.append(text.substr(i, c.length));
        }
        i += c.length;
    }
}

} // namespace umbrascope
