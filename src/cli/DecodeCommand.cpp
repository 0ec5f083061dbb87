#include "cli/DecodeCommand.hpp"

#include <cstdio>
#include <cstring>
#include <optional>
#include <ostream>
#include <utility>

#include "breakdown/BreakdownRows.hpp"
#include "cli/BreakdownOutput.hpp"
#include "cli/CommandLine.hpp"
#include "cli/TerminalText.hpp"
#include "cli/WordArgument.hpp"
#include "core/LineReader.hpp"
#include "model/MIDIMessage.hpp"
#include "text/Description.hpp"
#include "text/SpokenText.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli decode [--json] WORD...\n"
    "       umbrascope-cli decode [--json] --stdin\n"
    "\n"
    "Splits UMP words into packets as the receive pipeline does and prints one line per packet:\n"
    "its words, its message class and its description; under it the short and verbose spoken\n"
    "texts and one indented line per field of its breakdown: hex digits, width and meaning.\n"
    "\n"
    "  WORD      a 32-bit word as 1 to 8 hex digits, optionally after 0x\n"
    "  --json    one JSON object per packet and line: line, words, type, displayName, hex,\n"
    "            description, short, verbose (the spoken texts, null when silent), rows,\n"
    "            fieldsSpeech, reading, readingSheetOpen\n"
    "  --stdin   read runs of words from standard input, one run per line of at most 65536\n"
    "            bytes; each line is printed as it is read, and the first bad line stops the\n"
    "            command with its number\n"
    "  --help    show this help\n";

constexpr std::size_t maxInputLineBytes = 64 * 1024;

std::vector<std::uint32_t> parseRun(std::string_view text, const std::string& where) {
    std::vector<std::uint32_t> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        if (i == text.size()) break;
        std::size_t end = i;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t')
            ++end;
        const std::string_view token = text.substr(i, end - i);
        const auto word = parseWordArgument(token);
        if (!word)
            throw UsageError{where + std::string(wordExpectation) + ", found " +
                             quotedToken(token)};
        words.push_back(*word);
        i = end;
    }
    return words;
}

std::string hex8(std::uint32_t word) {
    return hexString(std::span(&word, 1));
}

std::vector<std::string> hexWords(const PacketWords& words) {
    std::vector<std::string> result;
    for (const auto word : words)
        result.push_back(hex8(word));
    return result;
}

// The record the breakdown reads: only its words and class matter.
MIDIMessage packetMessage(const DecodedPacket& packet) {
    MIDIMessage message;
    message.words = packet.words;
    message.messageType = packet.type;
    return message;
}

} // namespace

std::vector<DecodedPacket> decodeRun(std::span<const std::uint32_t> words, std::size_t line) {
    std::vector<DecodedPacket> packets;
    forEachPacket(words, [&](const PacketWords& packet, PacketClass cls) {
        MIDIMessage message;
        message.words = packet;
        message.messageType = cls.type;
        message.description = describePacket(packet, cls.type);
        std::optional<RunningVoiceStatus> shortStatus;
        std::optional<RunningVoiceStatus> verboseStatus;
        auto shortText = spokenText(message, TTSLevel::short_, shortStatus);
        auto verboseText = spokenText(message, TTSLevel::verbose, verboseStatus);
        packets.push_back({line, packet, cls.type, std::move(message.description),
                           std::move(shortText), std::move(verboseText)});
    });
    return packets;
}

void writePacketJSON(JSONWriter& json, const DecodedPacket& packet) {
    json.beginObject();
    json.member("line", packet.line);
    json.member("words", hexWords(packet.words));
    json.member("type", caseName(packet.type));
    json.member("displayName", displayName(packet.type));
    json.member("hex", hexString(packet.words.span()));
    json.member("description", packet.description);
    for (const auto& [name, text] :
         {std::pair{"short", &packet.shortText}, std::pair{"verbose", &packet.verboseText}}) {
        json.key(name);
        if (*text)
            json.value(**text);
        else
            json.null();
    }
    writeBreakdownJSON(json, packetMessage(packet));
    json.endObject();
}

std::string packetPlainLine(const DecodedPacket& packet) {
    std::string line = hexString(packet.words.span());
    line += "  ";
    line += displayName(packet.type);
    line += "  ";
    line += terminalSafe(packet.description);
    return line;
}

std::string packetSpokenLines(const DecodedPacket& packet) {
    std::string lines;
    for (const auto& [label, text] : {std::pair{"  short: ", &packet.shortText},
                                      std::pair{"  verbose: ", &packet.verboseText}}) {
        if (!*text) continue;
        lines += label;
        lines += terminalSafe(**text);
        lines += '\n';
    }
    return lines;
}

void writePacket(const DecodedPacket& packet, bool json, std::ostream& out) {
    if (json) {
        std::string text;
        JSONWriter writer(text);
        writePacketJSON(writer, packet);
        text += '\n';
        out << text;
    } else {
        out << packetPlainLine(packet) << '\n'
            << packetSpokenLines(packet)
            << breakdownPlainLines(breakdownRows(packetMessage(packet)));
    }
}

namespace {

struct DecodeOptions {
    bool json = false;
    bool fromStdin = false;
    std::vector<std::uint32_t> words;
};

std::optional<DecodeOptions> parseDecodeOptions(Arguments args) {
    CommandLine line("decode");
    line.flag("--json").flag("--stdin").arguments();
    if (!line.parse(args)) return std::nullopt;
    DecodeOptions options;
    options.json = line.has("--json");
    options.fromStdin = line.has("--stdin");
    for (const auto& arg : line.plainArguments()) {
        const auto word = parseWordArgument(arg);
        if (!word) throw UsageError{std::string(wordExpectation) + ", found " + quotedToken(arg)};
        options.words.push_back(*word);
    }
    if (options.fromStdin && !options.words.empty())
        throw UsageError{"expected words either as arguments or with --stdin, not both"};
    if (!options.fromStdin && options.words.empty())
        throw UsageError{"expected at least one word" + line.seeHelp()};
    return options;
}

// One line at a time, each printed before the next is read, so an endless pipe runs in bounded
// memory and a reader sees each result at once.
int decodeLines(const DecodeOptions& options, ByteReader& in, std::ostream& out,
                std::ostream& err) {
    LineReader lines(in, maxInputLineBytes);
    for (;;) {
        switch (lines.next()) {
        case LineReader::Status::end:
            return 0;
        case LineReader::Status::tooLong:
            throw UsageError{"line " + std::to_string(lines.lineNumber()) +
                             ": expected a line of at most " + std::to_string(maxInputLineBytes) +
                             " bytes"};
        case LineReader::Status::failed:
            printCommandError(
                "decode",
                std::string("cannot read standard input: ") + std::strerror(lines.error()), err);
            return 1;
        case LineReader::Status::line:
            break;
        }
        std::string_view text = lines.line();
        if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
        const std::size_t number = lines.lineNumber();
        const auto run = parseRun(text, "line " + std::to_string(number) + ": ");
        for (const auto& packet : decodeRun(run, number))
            writePacket(packet, options.json, out);
        if (!out) return 1; // the output is gone: reading on would be for nothing
    }
}

} // namespace

int runDecodeWithInput(Arguments args, ByteReader& in, std::ostream& out, std::ostream& err) {
    return withUsageErrors("decode", err, [&] {
        const auto options = parseDecodeOptions(args);
        if (!options) {
            out << usage;
            return 0;
        }
        if (options->fromStdin) return decodeLines(*options, in, out, err);
        for (const auto& packet : decodeRun(options->words, 1))
            writePacket(packet, options->json, out);
        return 0;
    });
}

int runDecode(Arguments args, std::ostream& out, std::ostream& err) {
    FileReader in(stdin);
    return runDecodeWithInput(args, in, out, err);
}

} // namespace umbrascope::cli
