// Any run of words: every packet gets a one-line description and spoken texts, and the CSV of
// them has exactly one line per message.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"
#include "text/CSVText.hpp"
#include "text/Description.hpp"
#include "text/SpokenText.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace umbrascope;
    std::vector<std::uint32_t> words(size / 4);
    if (!words.empty()) std::memcpy(words.data(), data, words.size() * 4);

    std::vector<MIDIMessage> messages;
    std::optional<RunningVoiceStatus> shortStatus;
    std::optional<RunningVoiceStatus> verboseStatus;
    forEachPacket(words, [&](const PacketWords& packet, PacketClass cls) {
        MIDIMessage message;
        message.sourceNameStorage = makeSourceName("Fuzz, \"Port\"\n1");
        message.words = packet;
        message.messageType = cls.type;
        message.description = describePacket(packet, cls.type);
        if (message.description.empty() || message.description.find('\n') != std::string::npos)
            std::abort();
        for (const auto& text : {spokenText(message, TTSLevel::short_, shortStatus),
                                 spokenText(message, TTSLevel::verbose, verboseStatus)})
            if (text && text->empty()) std::abort();
        messages.push_back(std::move(message));
    });

    const std::string csv = csvText(messages);
    std::size_t lines = 0;
    bool quoted = false;
    for (const char c : csv) {
        if (c == '"') quoted = !quoted;
        if (c == '\n' && !quoted) ++lines;
    }
    if (quoted || csv.back() != '\n' || lines != messages.size() + 1) std::abort();
    return 0;
}
