#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/Commands.hpp"
#include "core/Hex.hpp"
#include "midi/Midi1StreamTranslator.hpp"
#include "model/Packet.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli translate [--protocol 1|2] HEXBYTES...\n"
    "Prints the UMP packets that an input port of the protocol (default 2) receives for these\n"
    "MIDI 1.0 bytes: one packet a line. Bytes are hex, one or more to an argument (90 3C 64 or\n"
    "903C64).\n";

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

} // namespace

int runTranslate(Arguments args, std::ostream& out, std::ostream& err) {
    MidiProtocol protocol = MidiProtocol::midi2;
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << usage;
            return 0;
        }
        if (arg == "--protocol") {
            if (i + 1 >= args.size() || (args[i + 1] != "1" && args[i + 1] != "2")) {
                err << "umbrascope-cli translate: --protocol expects 1 or 2\n" << usage;
                return 2;
            }
            protocol = args[++i] == "1" ? MidiProtocol::midi1 : MidiProtocol::midi2;
            continue;
        }
        if (!appendHexBytes(arg, bytes)) {
            err << "umbrascope-cli translate: argument " << i + 1 << " '" << std::string(arg)
                << "' is not hex bytes (expected pairs of hex digits such as 90 or 903C64)\n";
            return 2;
        }
    }
    if (bytes.empty()) {
        err << "umbrascope-cli translate: no bytes given\n" << usage;
        return 2;
    }
    Midi1StreamTranslator translator(protocol);
    std::vector<std::uint32_t> words;
    translator.translate(bytes, words);
    forEachPacket(words, [&out](const PacketWords& packet, PacketClass) {
        std::string line;
        for (const auto word : packet) {
            if (!line.empty()) line += ' ';
            hex::append(line, word, 8);
        }
        out << line << '\n';
    });
    return 0;
}

} // namespace umbrascope::cli
