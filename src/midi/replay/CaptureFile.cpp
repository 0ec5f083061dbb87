#include "midi/replay/CaptureFile.hpp"

#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

#include "core/Hex.hpp"
#include "text/CsvText.hpp"

namespace umbrascope {

namespace {

constexpr std::string_view sourceDirective = "@source";
constexpr std::string_view wordsExpected = "expected 1 to 64 hex words of 8 digits";
constexpr std::size_t quotedTextLimit = 40;

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// Text from the file as it may appear in an error: control bytes shown as \xHH, long text cut.
std::string shown(std::string_view text) {
    std::string out = "'";
    const bool cut = text.size() > quotedTextLimit;
    for (char c : text.substr(0, quotedTextLimit)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            hex::append(out, byte, 2);
        } else {
            out += c;
        }
    }
    out += cut ? "...'" : "'";
    return out;
}

class Parser {
public:
    explicit Parser(std::string_view fileName) : fileName_(fileName) {}

    [[noreturn]] void fail(std::size_t line, const std::string& what) const {
        throw CaptureError(std::string(fileName_) + ":" + std::to_string(line) + ": " + what);
    }

    std::optional<std::uint32_t> parseWord(std::string_view token) const {
        if (token.size() != 8) return std::nullopt;
        return hex::parse(token);
    }

    // "+SECONDS": digits with an optional fraction, at most maxCaptureDelay.
    std::chrono::nanoseconds parseDelay(std::string_view token, std::size_t line) const {
        const auto bad = [&] {
            fail(line, "expected a delay +SECONDS such as +0.125, found " + shown(token));
        };
        std::string_view digits = token.substr(1);
        const auto dot = digits.find('.');
        const std::string_view whole = digits.substr(0, dot);
        const std::string_view fraction =
            dot == std::string_view::npos ? std::string_view{} : digits.substr(dot + 1);
        if (whole.empty() && fraction.empty()) bad();
        std::int64_t seconds = 0;
        for (char c : whole) {
            if (c < '0' || c > '9') bad();
            seconds = seconds * 10 + (c - '0');
            if (seconds > maxCaptureDelay.count())
                fail(line, "expected a delay of at most 86400 seconds, found " + shown(token));
        }
        std::int64_t nanos = 0;
        std::int64_t scale = 100'000'000;
        for (char c : fraction) {
            if (c < '0' || c > '9') bad();
            nanos += (c - '0') * scale; // digits past nanoseconds add nothing
            scale /= 10;
        }
        const auto delay = std::chrono::seconds(seconds) + std::chrono::nanoseconds(nanos);
        if (delay > maxCaptureDelay)
            fail(line, "expected a delay of at most 86400 seconds, found " + shown(token));
        return delay;
    }

    // Words separated by blanks; `allowDelay` lets the first token be a delay.
    CaptureLine parsePacket(std::string_view text, std::size_t line, bool allowDelay) const {
        CaptureLine packet;
        packet.lineNumber = line;
        std::size_t i = 0;
        std::size_t tokens = 0;
        while (true) {
            while (i < text.size() && isBlank(text[i]))
                ++i;
            if (i == text.size()) break;
            std::size_t end = i;
            while (end < text.size() && !isBlank(text[end]))
                ++end;
            const std::string_view token = text.substr(i, end - i);
            i = end;
            if (tokens++ == 0 && allowDelay && token.front() == '+') {
                packet.delay = parseDelay(token, line);
                continue;
            }
            const auto word = parseWord(token);
            if (!word) fail(line, std::string(wordsExpected) + ", found " + shown(token));
            packet.words.push_back(*word);
        }
        if (packet.words.empty())
            fail(line,
                 std::string(wordsExpected) + ", found " + (tokens == 0 ? "none" : "only a delay"));
        if (packet.words.size() > maxCaptureWords)
            fail(line, std::string(wordsExpected) + ", found " +
                           std::to_string(packet.words.size()) + " words");
        return packet;
    }

    std::string parseSourceName(std::string_view rest, std::size_t line) const {
        if (rest.empty() || !isBlank(rest.front()))
            fail(line, "expected '@source NAME', found " + shown(rest.empty() ? "@source" : rest));
        rest.remove_prefix(1);
        if (rest.empty()) fail(line, "expected a source name after '@source'");
        std::string name;
        for (std::size_t i = 0; i < rest.size(); ++i) {
            if (rest[i] != '\\') {
                name += rest[i];
                continue;
            }
            const char next = i + 1 < rest.size() ? rest[i + 1] : '\0';
            switch (next) {
            case 'n':
                name += '\n';
                break;
            case 'r':
                name += '\r';
                break;
            case 't':
                name += '\t';
                break;
            case '\\':
                name += '\\';
                break;
            default:
                fail(line, "expected \\n, \\r, \\t or \\\\ in the source name, found " +
                               shown(rest.substr(i, 2)));
            }
            ++i;
        }
        return name;
    }

    Capture parseLines(std::string_view text) const {
        Capture capture;
        bool named = false;
        std::size_t line = 0;
        while (!text.empty()) {
            ++line;
            const auto newline = text.find('\n');
            std::string_view row = text.substr(0, newline);
            text =
                newline == std::string_view::npos ? std::string_view{} : text.substr(newline + 1);
            if (!row.empty() && row.back() == '\r') row.remove_suffix(1);

            if (row.starts_with(sourceDirective)) {
                if (named || !capture.lines.empty())
                    fail(line, "expected '@source' only once, before the first packet");
                capture.sourceName = parseSourceName(row.substr(sourceDirective.size()), line);
                named = true;
                continue;
            }
            row = row.substr(0, row.find('#'));
            if (row.find_first_not_of(" \t") == std::string_view::npos) continue;
            capture.lines.push_back(parsePacket(row, line, true));
        }
        if (!named) capture.sourceName = defaultSourceName();
        return capture;
    }

    // Records of RFC 4180 text: quoted fields may hold commas, doubled quotes and line breaks.
    Capture parseCsv(std::string_view text) const {
        Capture capture;
        capture.sourceName = defaultSourceName();
        std::size_t line = 1;
        std::size_t i = 0;
        // Skip the header line.
        i = text.find('\n');
        i = i == std::string_view::npos ? text.size() : i + 1;
        ++line;
        while (i < text.size()) {
            const std::size_t recordLine = line;
            std::vector<std::string> fields(1);
            bool endOfRecord = false;
            while (!endOfRecord) {
                std::string& field = fields.back();
                if (i < text.size() && text[i] == '"') {
                    ++i;
                    while (true) {
                        if (i >= text.size()) fail(recordLine, "expected a closing quote");
                        if (text[i] == '"') {
                            if (i + 1 < text.size() && text[i + 1] == '"') {
                                field += '"';
                                i += 2;
                                continue;
                            }
                            ++i;
                            break;
                        }
                        if (text[i] == '\n') ++line;
                        field += text[i++];
                    }
                    if (i < text.size() && text[i] == '\r' && i + 1 < text.size() &&
                        text[i + 1] == '\n')
                        ++i;
                    if (i < text.size() && text[i] != ',' && text[i] != '\n')
                        fail(line, "expected ',' after a closing quote, found " +
                                       shown(text.substr(i, 1)));
                } else {
                    while (i < text.size() && text[i] != ',' && text[i] != '\n')
                        field += text[i++];
                    if (!field.empty() && field.back() == '\r' &&
                        (i >= text.size() || text[i] == '\n'))
                        field.pop_back();
                }
                if (i >= text.size()) {
                    endOfRecord = true;
                } else if (text[i] == ',') {
                    ++i;
                    fields.emplace_back();
                } else { // line feed
                    ++i;
                    ++line;
                    endOfRecord = true;
                }
            }
            if (fields.size() == 1 && fields[0].empty()) continue;
            if (fields.size() < 2)
                fail(recordLine, "expected the fields " + std::string(csvHeader) + ", found " +
                                     shown(fields[0]));
            capture.lines.push_back(parsePacket(fields[1], recordLine, false));
        }
        return capture;
    }

    Capture parse(std::string_view text) const {
        if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
        std::string_view first = text.substr(0, text.find('\n'));
        if (!first.empty() && first.back() == '\r') first.remove_suffix(1);
        return first == csvHeader ? parseCsv(text) : parseLines(text);
    }

private:
    std::string defaultSourceName() const {
        return std::filesystem::path(std::string(fileName_)).stem().string();
    }

    std::string_view fileName_;
};

} // namespace

Capture parseCapture(std::string_view text, std::string_view fileName) {
    return Parser(fileName).parse(text);
}

Capture loadCapture(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw CaptureError(path.string() + ": expected a capture file, found a directory");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CaptureError(path.string() + ": cannot open the file");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw CaptureError(path.string() + ": cannot read the file");
    return parseCapture(text.str(), path.string());
}

std::string escapeCaptureSourceName(std::string_view name) {
    std::string out;
    for (char c : name) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace umbrascope
