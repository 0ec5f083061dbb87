#include "breakdown/BreakdownRows.hpp"

#include "text/Description.hpp"

namespace umbrascope {

std::vector<FieldRow> breakdownRows(const MIDIMessage& message) {
    return breakdownRows(message.words.span(), message.messageType);
}

std::vector<FieldRow> breakdownRows(std::span<const std::uint32_t> words, UMPMessageType type) {
    if (words.empty()) return {};
    switch (type) {
    case UMPMessageType::utility:
        return utilityRows(words[0]);
    case UMPMessageType::system:
        return systemRows(words[0]);
    case UMPMessageType::midi1ChannelVoice:
        return midi1ChannelVoiceRows(words[0]);
    case UMPMessageType::data64:
        return sysEx7Rows(words);
    case UMPMessageType::midi2ChannelVoice:
        return midi2ChannelVoiceRows(words);
    case UMPMessageType::data128:
        return sysEx8Rows(words);
    case UMPMessageType::flexData:
        return flexDataRows(words);
    case UMPMessageType::umpStream:
        return umpStreamRows(words);
    case UMPMessageType::unknown:
        break;
    }
    return unknownRows(words[0]);
}

std::vector<FieldRow> unknownRows(std::uint32_t w0) {
    return {FieldRow::withHex(hexDigits(w0, 0, 8), std::string(unrecognizedMessageType))};
}

} // namespace umbrascope
