#include "model/MIDIMessage.hpp"

namespace umbrascope {

const std::string& MIDIMessage::sourceName() const {
    static const std::string none;
    return sourceNameStorage ? *sourceNameStorage : none;
}

std::shared_ptr<const std::string> makeSourceName(std::string name) {
    return std::make_shared<const std::string>(std::move(name));
}

std::string hexString(std::span<const std::uint32_t> words) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(words.size() * 10);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += "  ";
        for (int shift = 28; shift >= 0; shift -= 4)
            text += digits[(words[i] >> shift) & 0xF];
    }
    return text;
}

bool isSystemStatus(const MIDIMessage& message, std::uint8_t status) {
    return message.messageType == UMPMessageType::system && !message.words.empty() &&
           ump::systemStatus(message.words[0]) == status;
}

} // namespace umbrascope
