#include "cli/DecodeCommand.hpp"

#include <iostream>
#include <optional>
#include <sstream>

#include "breakdown/BreakdownRows.hpp"
#include "cli/BreakdownOutput.hpp"
#include "cli/TerminalText.hpp"
#include "cli/WordArgument.hpp"
#include "model/MIDIMessage.hpp"
#include "text/Description.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli decode [--json] WORD...\n"
    "       umbrascope-cli decode [--json] --stdin\n"
    "\n"
    "Splits UMP words into packets as the receive pipeline does and prints one line per packet:\n"
    "its words, its message class and its description; under it one indented line per field of\n"
    "its breakdown: hex digits, width and meaning.\n"
    "\n"
    "  WORD      a 32-bit word as 1 to 8 hex digits, optionally after 0x\n"
    "  --json    one JSON object per packet and line: line, words, type, displayName, hex,\n"
    "            description, rows, fieldsSpeech, reading, readingSheetOpen\n"
    "  --stdin   read runs of words from standard input, one run per line\n"
    "  --help    show this help\n";

struct UsageError {
    std::string message;
};

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
        packets.push_back({line, packet, cls.type, describePacket(packet, cls.type)});
    });
    return packets;
}

void writePacketJson(JsonWriter& json, const DecodedPacket& packet) {
    json.beginObject();
    json.member("line", packet.line);
    json.member("words", hexWords(packet.words));
    json.member("type", caseName(packet.type));
    json.member("displayName", displayName(packet.type));
    json.member("hex", hexString(packet.words.span()));
    json.member("description", packet.description);
    writeBreakdownJson(json, packetMessage(packet));
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

int runDecodeWithInput(Arguments args, std::istream& in, std::ostream& out, std::ostream& err) {
    bool json = false;
    bool fromStdin = false;
    std::vector<std::uint32_t> words;
    std::vector<DecodedPacket> packets;
    try {
        bool optionsEnded = false;
        for (const std::string_view arg : args) {
            if (!optionsEnded && (arg == "--help" || arg == "-h")) {
                out << usage;
                return 0;
            }
            if (!optionsEnded && arg == "--json") {
                json = true;
            } else if (!optionsEnded && arg == "--stdin") {
                fromStdin = true;
            } else if (!optionsEnded && arg == "--") {
                optionsEnded = true;
            } else if (!optionsEnded && arg.starts_with("-")) {
                throw UsageError{"unknown option " + quotedToken(arg) +
                                 " (see umbrascope-cli decode --help)"};
            } else {
                const auto word = parseWordArgument(arg);
                if (!word)
                    throw UsageError{std::string(wordExpectation) + ", found " + quotedToken(arg)};
                words.push_back(*word);
            }
        }
        if (fromStdin && !words.empty())
            throw UsageError{"expected words either as arguments or with --stdin, not both"};
        if (!fromStdin && words.empty())
            throw UsageError{"expected at least one word (see umbrascope-cli decode --help)"};

        // Everything is read and checked before anything is printed.
        if (fromStdin) {
            std::string text;
            std::size_t line = 0;
            while (std::getline(in, text)) {
                ++line;
                if (!text.empty() && text.back() == '\r') text.pop_back();
                const auto run = parseRun(text, "line " + std::to_string(line) + ": ");
                auto decoded = decodeRun(run, line);
                packets.insert(packets.end(), std::make_move_iterator(decoded.begin()),
                               std::make_move_iterator(decoded.end()));
            }
            if (in.bad()) throw UsageError{"cannot read standard input"};
        } else {
            packets = decodeRun(words, 1);
        }
    } catch (const UsageError& error) {
        err << "umbrascope-cli decode: " << error.message << '\n';
        return 2;
    }

    std::string text;
    for (const auto& packet : packets) {
        if (json) {
            JsonWriter writer(text);
            writePacketJson(writer, packet);
        } else {
            text += packetPlainLine(packet);
        }
        text += '\n';
        if (!json) text += breakdownPlainLines(breakdownRows(packetMessage(packet)));
    }
    out << text;
    out.flush();
    return out ? 0 : 1;
}

int runDecode(Arguments args, std::ostream& out, std::ostream& err) {
    return runDecodeWithInput(args, std::cin, out, err);
}

} // namespace umbrascope::cli
