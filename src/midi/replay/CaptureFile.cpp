#include "midi/replay/CaptureFile.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "core/Hex.hpp"
#include "core/LineReader.hpp"
#include "text/CSVText.hpp"

namespace umbrascope {

namespace {

constexpr std::string_view sourceDirective = "@source";
constexpr std::string_view wordsExpected = "expected 1 to 64 hex words of 8 digits";
constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view ellipsis = "\u2026";
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

std::string tooLarge(const std::string& found) {
    return "expected a capture of at most " + std::to_string(maxCaptureBytes) +
           " bytes (256 MiB), found " + found;
}

std::string_view withoutCarriageReturn(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// At most maxSourceNameBytes, never splitting a UTF-8 sequence.
std::string cutSourceName(std::string_view name) {
    std::size_t keep = maxSourceNameBytes - ellipsis.size();
    while (keep > 0 && (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    std::string cut(name.substr(0, keep));
    cut += ellipsis;
    return cut;
}

// A record of our CSV export, fed one physical line at a time: a quoted field may run on over
// line feeds. Only the first three fields are kept (the time, when there is one, the source and
// the hex); the spoken texts are not read back.
class CSVRecord {
public:
    void clear() {
        for (std::string& field : fields_)
            field.clear();
        count_ = 1;
        inQuotes_ = afterQuote_ = fieldStarted_ = false;
        bytes_ = 0;
    }

    // Returns the offending character when a closing quote is followed by anything but a comma.
    std::optional<char> feed(std::string_view line) {
        bytes_ += line.size() + 1;
        if (inQuotes_) append('\n');
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (inQuotes_) {
                if (c != '"') {
                    append(c);
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    append('"');
                    ++i;
                } else {
                    inQuotes_ = false;
                    afterQuote_ = true;
                }
            } else if (c == ',') {
                ++count_;
                afterQuote_ = fieldStarted_ = false;
            } else if (afterQuote_) {
                return c;
            } else if (c == '"' && !fieldStarted_) {
                inQuotes_ = fieldStarted_ = true;
            } else {
                fieldStarted_ = true;
                append(c);
            }
        }
        return std::nullopt;
    }

    bool open() const { return inQuotes_; }
    bool empty() const { return count_ == 1 && fields_[0].empty(); }
    std::size_t fieldCount() const { return count_; }
    std::size_t bytes() const { return bytes_; }
    const std::string& field(std::size_t index) const { return fields_[index]; }

private:
    void append(char c) {
        if (count_ <= std::size(fields_)) fields_[count_ - 1] += c;
    }

    std::string fields_[3];
    std::size_t count_ = 1;
    bool inQuotes_ = false;
    bool afterQuote_ = false;
    bool fieldStarted_ = false;
    std::size_t bytes_ = 0;
};

class Parser {
public:
    Parser(ByteReader& input, std::string_view fileName)
        : lines_(input, maxCaptureLineBytes), fileName_(fileName) {}

    Capture parse() {
        capture_.sourceName = defaultSourceName();
        auto first = nextLine();
        if (!first) return std::move(capture_);
        if (first->starts_with(byteOrderMark)) first->remove_prefix(byteOrderMark.size());
        if (*first == csvHeader) {
            parseCSV(csvHeader, 1);
        } else if (*first == csvTimedHeader) {
            parseCSV(csvTimedHeader, 2);
        } else {
            parseLine(*first);
            while (const auto line = nextLine())
                parseLine(*line);
        }
        return std::move(capture_);
    }

private:
    [[noreturn]] void fail(std::size_t line, const std::string& what) const {
        throw CaptureError(std::string(fileName_) + ":" + std::to_string(line) + ": " + what);
    }
    [[noreturn]] void failFile(const std::string& what) const {
        throw CaptureError(std::string(fileName_) + ": " + what);
    }

    // The next line without its line ending, or nothing at the end of the input.
    std::optional<std::string_view> nextLine() {
        switch (lines_.next()) {
        case LineReader::Status::line:
            break;
        case LineReader::Status::end:
            return std::nullopt;
        case LineReader::Status::tooLong:
            fail(lines_.lineNumber(),
                 "expected a line of at most " + std::to_string(maxCaptureLineBytes) + " bytes");
        case LineReader::Status::failed:
            failFile(std::string("cannot read the file: ") + std::strerror(lines_.error()));
        }
        if (lines_.bytesRead() > maxCaptureBytes) failFile(tooLarge("more"));
        return withoutCarriageReturn(lines_.line());
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
    void parsePacket(std::string_view text, std::size_t line, bool allowDelay) {
        std::chrono::nanoseconds delay{0};
        words_.clear();
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
                delay = parseDelay(token, line);
                continue;
            }
            const auto word = parseWord(token);
            if (!word) fail(line, std::string(wordsExpected) + ", found " + shown(token));
            words_.push_back(*word);
        }
        if (words_.empty())
            fail(line,
                 std::string(wordsExpected) + ", found " + (tokens == 0 ? "none" : "only a delay"));
        if (words_.size() > maxCaptureWords)
            fail(line, std::string(wordsExpected) + ", found " + std::to_string(words_.size()) +
                           " words");
        capture_.append(delay, words_, line);
    }

    std::string parseSourceName(std::string_view rest, std::size_t line) const {
        if (rest.empty() || !isBlank(rest.front()))
            fail(line, "expected '@source NAME', found " + shown(rest.empty() ? "@source" : rest));
        rest.remove_prefix(1);
        // Blanks alone name nothing, as no name does.
        if (rest.find_first_not_of(" \t") == std::string_view::npos)
            fail(line, "expected a source name after '@source'");
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

    void parseLine(std::string_view row) {
        const std::size_t line = lines_.lineNumber();
        if (row.starts_with(sourceDirective)) {
            if (named_ || !capture_.lines.empty())
                fail(line, "expected '@source' only once, before the first packet");
            std::string name = parseSourceName(row.substr(sourceDirective.size()), line);
            if (name.size() > maxSourceNameBytes) {
                name = cutSourceName(name);
                capture_.warnings.push_back(std::string(fileName_) + ":" + std::to_string(line) +
                                            ": source name cut to " +
                                            std::to_string(maxSourceNameBytes) + " bytes");
            }
            capture_.sourceName = std::move(name);
            named_ = true;
            return;
        }
        row = row.substr(0, row.find('#'));
        if (row.find_first_not_of(" \t") == std::string_view::npos) return;
        parsePacket(row, line, true);
    }

    // The export's rows, with the hex words in field `hexField` of each.
    void parseCSV(std::string_view header, std::size_t hexField) {
        CSVRecord record;
        while (const auto first = nextLine()) {
            const std::size_t recordLine = lines_.lineNumber();
            record.clear();
            std::optional<std::string_view> line = first;
            while (true) {
                if (const auto stray = record.feed(*line))
                    fail(lines_.lineNumber(), "expected ',' after a closing quote, found " +
                                                  shown(std::string_view(&*stray, 1)));
                if (record.bytes() > maxCaptureLineBytes)
                    fail(recordLine, "expected a record of at most " +
                                         std::to_string(maxCaptureLineBytes) + " bytes");
                if (!record.open()) break;
                line = nextLine();
                if (!line) fail(recordLine, "expected a closing quote");
            }
            if (record.empty()) continue;
            if (record.fieldCount() <= hexField)
                fail(recordLine, "expected the fields " + std::string(header) + ", found " +
                                     shown(record.field(0)));
            parsePacket(record.field(hexField), recordLine, false);
        }
    }

    std::string defaultSourceName() const {
        return std::filesystem::path(std::string(fileName_)).stem().string();
    }

    LineReader lines_;
    std::string_view fileName_;
    Capture capture_;
    bool named_ = false;
    std::vector<std::uint32_t> words_;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Counts what passes, so that a file cut while it is read is not taken for a shorter capture.
class CountingReader final : public ByteReader {
public:
    explicit CountingReader(ByteReader& input) : input_(input) {}
    ReadResult read(std::span<char> buffer) override {
        const ReadResult result = input_.read(buffer);
        count += result.size;
        return result;
    }
    std::uint64_t count = 0;

private:
    ByteReader& input_;
};

} // namespace

void Capture::append(std::chrono::nanoseconds delay, std::span<const std::uint32_t> words,
                     std::size_t lineNumber) {
    lines.push_back({delay, static_cast<std::uint32_t>(lineNumber),
                     static_cast<std::uint32_t>(wordStore.size()),
                     static_cast<std::uint32_t>(words.size())});
    wordStore.insert(wordStore.end(), words.begin(), words.end());
}

Capture parseCapture(std::string_view text, std::string_view fileName) {
    MemoryReader input(text);
    return readCapture(input, fileName);
}

Capture readCapture(ByteReader& input, std::string_view fileName,
                    std::optional<std::uint64_t> measuredBytes) {
    CountingReader counted(input);
    Capture capture = Parser(counted, fileName).parse();
    // Its last line may have been cut mid-word and still parse.
    if (measuredBytes && counted.count < *measuredBytes)
        throw CaptureError(std::string(fileName) + ": expected " + std::to_string(*measuredBytes) +
                           " bytes, found the end after " + std::to_string(counted.count) +
                           " (the file was cut while it was read)");
    return capture;
}

Capture loadCapture(const std::filesystem::path& path) {
    const std::string name = path.string();
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (std::filesystem::is_directory(status))
        throw CaptureError(name + ": expected a capture file, found a directory");
    std::optional<std::uint64_t> measured;
    if (std::filesystem::is_regular_file(status)) {
        const auto size = std::filesystem::file_size(path, error);
        if (!error && size > maxCaptureBytes)
            throw CaptureError(name + ": " + tooLarge(std::to_string(size) + " bytes"));
        if (!error) measured = size;
    }
    errno = 0;
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(name.c_str(), "rb"));
    if (!file)
        throw CaptureError(name + ": cannot open the file: " + std::strerror(errno ? errno : EIO));
    FileReader input(file.get());
    return readCapture(input, name, measured);
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
