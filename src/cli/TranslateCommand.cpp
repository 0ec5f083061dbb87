#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/TerminalText.hpp"
#include "core/Hex.hpp"
#include "midi/MIDI1StreamTranslator.hpp"
#include "model/Packet.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli translate [--protocol 1|2] HEXBYTES...\n"
    "Prints the UMP packets that an input port of the protocol (default 2) receives for these\n"
    "MIDI 1.0 bytes: one packet a line. Bytes are hex, one or more to an argument (90 3C 64 or\n"
    "903C64).\n";

struct TranslateOptions {
    MIDIProtocol protocol = MIDIProtocol::midi2;
    std::vector<std::uint8_t> bytes;
};

// Appends the bytes of one argument; false when it is not whole hex bytes.
bool appendHexBytes(std::string_view text, std::vector<std::uint8_t>& out) {
    if (text.starts_with("0x") || text.starts_with("0X")) text.remove_prefix(2);
    if (text.empty() || text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto byte = hex::parse(text.substr(i, 2));
        if (!byte) return false;
        out.push_back(static_cast<std::uint8_t>(*byte));
    }
    return true;
}

std::optional<TranslateOptions> parseTranslateOptions(Arguments args) {
    CommandLine line("translate");
    line.option("--protocol").arguments();
    if (!line.parse(args)) return std::nullopt;
    TranslateOptions options;
    if (const auto protocol = line.value("--protocol")) {
        if (*protocol != "1" && *protocol != "2")
            throw UsageError{"--protocol expects 1 or 2, found " + quotedToken(*protocol)};
        options.protocol = *protocol == "1" ? MIDIProtocol::midi1 : MIDIProtocol::midi2;
    }
    for (const auto& arg : line.plainArguments())
        if (!appendHexBytes(arg, options.bytes))
            throw UsageError{"expected hex bytes such as 90 or 903C64, found " + quotedToken(arg)};
    if (options.bytes.empty()) throw UsageError{"expected MIDI 1.0 bytes" + line.seeHelp()};
    return options;
}

void translate(const TranslateOptions& options, std::ostream& out) {
    MIDI1StreamTranslator translator(options.protocol);
    std::vector<std::uint32_t> words;
    translator.translate(options.bytes, words);
    forEachPacket(words, [&out](const PacketWords& packet, PacketClass) {
        std::string line;
        for (const auto word : packet) {
            if (!line.empty()) line += ' ';
            hex::append(line, word, 8);
        }
        out << line << '\n';
    });
}

} // namespace

int runTranslate(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("translate", err, [&] {
        const auto options = parseTranslateOptions(args);
        if (!options) {
            out << usage;
            return 0;
        }
        translate(*options, out);
        return 0;
    });
}

} // namespace umbrascope::cli
