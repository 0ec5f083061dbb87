#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"
#include "text/Description.hpp"

namespace umbrascope::testing_support {

// A record as the receive path builds it: class from the first word, description from the words.
inline MIDIMessage makeMessage(PacketWords words, std::string source = "Keys",
                               std::int64_t sequence = 0) {
    MIDIMessage message;
    message.sequenceNumber = sequence;
    message.sourceNameStorage = makeSourceName(std::move(source));
    message.words = words;
    message.messageType = classifyPacket(words[0]).type;
    message.description = describePacket(words, message.messageType);
    return message;
}

} // namespace umbrascope::testing_support
