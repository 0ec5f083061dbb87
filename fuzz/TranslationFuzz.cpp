#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "midi/MIDI1StreamTranslator.hpp"
#include "model/Fields.hpp"
#include "model/Packet.hpp"

// Any byte stream, split anywhere, gives only whole packets of the types a port can receive; a
// MIDI 2.0 port's packets shifted down reach a MIDI 1.0 port without harm.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace umbrascope;
    if (size == 0) return 0;
    const std::size_t split = data[0] % size;
    const std::span<const std::uint8_t> bytes(data + 1, size - 1);
    for (const auto protocol : {MIDIProtocol::midi1, MIDIProtocol::midi2}) {
        MIDI1StreamTranslator translator(protocol);
        std::vector<std::uint32_t> words;
        const std::size_t cut = split < bytes.size() ? split : bytes.size();
        translator.translate(bytes.first(cut), words);
        translator.translate(bytes.subspan(cut), words);
        std::size_t total = 0;
        forEachPacket(words, [&](const PacketWords& packet, PacketClass cls) {
            const auto type = ump::messageTypeNibble(packet[0]);
            if (packet.size() != cls.length) std::abort();
            if (type == 0x4 && protocol == MIDIProtocol::midi1) std::abort();
            if (type == 0x2 && protocol == MIDIProtocol::midi2) std::abort();
            if (type != 0x1 && type != 0x2 && type != 0x3 && type != 0x4) std::abort();
            total += packet.size();
        });
        if (total != words.size()) std::abort();
        UMPTranslator down(MIDIProtocol::midi1);
        std::vector<std::uint32_t> downWords;
        down.translateWords(words, downWords);
    }
    return 0;
}
