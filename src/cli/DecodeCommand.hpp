#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/Commands.hpp"
#include "cli/Json.hpp"
#include "core/ByteReader.hpp"
#include "model/Packet.hpp"

namespace umbrascope::cli {

// One packet of a decoded run and everything the decode command prints about it.
struct DecodedPacket {
    std::size_t line = 1; // 1-based input line of the run
    PacketWords words;
    UMPMessageType type = UMPMessageType::unknown;
    std::string description;
    // Spoken forms from a running status of none; nothing when the message is silent.
    std::optional<std::string> shortText;
    std::optional<std::string> verboseText;
};

// Splits a run of words into packets as the receive pipeline does, and describes each.
std::vector<DecodedPacket> decodeRun(std::span<const std::uint32_t> words, std::size_t line);

// One JSON object; a new field is one line in its definition.
void writePacketJSON(JSONWriter& json, const DecodedPacket& packet);
// Words, class and description separated by two spaces; device text made terminal-safe.
std::string packetPlainLine(const DecodedPacket& packet);
// The spoken forms under the packet line, indented: "  short: ..." and "  verbose: ...", each
// only when there is something to say.
std::string packetSpokenLines(const DecodedPacket& packet);

// The packet as decode prints it: the plain lines or one JSON line.
void writePacket(const DecodedPacket& packet, bool json, std::ostream& out);

// runDecode with an explicit standard input, for --stdin.
int runDecodeWithInput(Arguments args, ByteReader& in, std::ostream& out, std::ostream& err);

} // namespace umbrascope::cli
