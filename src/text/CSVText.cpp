#include "text/CSVText.hpp"

#include <optional>

#include "text/SpokenText.hpp"
#include "text/TimeText.hpp"

namespace umbrascope {
namespace {

bool needsQuotes(std::string_view text) {
    return text.find_first_of(",\"\n\r") != std::string_view::npos;
}

bool looksLikeFormula(std::string_view text) {
    return !text.empty() &&
           std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
}

void appendSourceField(std::string& out, std::string_view source) {
    if (!looksLikeFormula(source)) {
        appendCSVField(out, source);
        return;
    }
    std::string guarded;
    guarded.reserve(source.size() + 1);
    guarded += '\'';
    guarded += source;
    appendCSVField(out, guarded);
}

// Typical line: a short source name, up to four hex words and two spoken texts.
constexpr std::size_t typicalLineLength = 120;

} // namespace

void appendCSVField(std::string& out, std::string_view text) {
    if (!needsQuotes(text)) {
        out += text;
        return;
    }
    out += '"';
    for (const char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

std::string csvField(std::string_view text) {
    std::string out;
    appendCSVField(out, text);
    return out;
}

std::string csvSourceField(std::string_view source) {
    std::string out;
    appendSourceField(out, source);
    return out;
}

std::string csvText(std::span<const MIDIMessage> messages, std::optional<WallTime> timesFrom) {
    const std::string_view header = timesFrom ? csvTimedHeader : csvHeader;
    std::string out;
    out.reserve(header.size() + 1 + messages.size() * typicalLineLength);
    out += header;
    out += '\n';
    std::optional<RunningVoiceStatus> shortStatus;
    std::optional<RunningVoiceStatus> verboseStatus;
    for (const MIDIMessage& message : messages) {
        const auto shortText = spokenText(message, TTSLevel::short_, shortStatus);
        const auto verboseText = spokenText(message, TTSLevel::verbose, verboseStatus);
        if (timesFrom) {
            out += secondsSinceText(*timesFrom, message.timestamp); // digits, '-' and '.' only
            out += ',';
        }
        appendSourceField(out, message.sourceName());
        out += ',';
        out += hexString(message); // hex digits and spaces only: never quoted
        out += ',';
        if (shortText) appendCSVField(out, *shortText);
        out += ',';
        if (verboseText) appendCSVField(out, *verboseText);
        out += '\n';
    }
    return out;
}

} // namespace umbrascope
