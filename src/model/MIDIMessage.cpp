#include "model/MIDIMessage.hpp"

#include "core/Hex.hpp"

namespace umbrascope {

const std::string& MIDIMessage::sourceName() const {
    static const std::string none;
    return sourceNameStorage ? *sourceNameStorage : none;
}

std::shared_ptr<const std::string> makeSourceName(std::string name) {
    return std::make_shared<const std::string>(std::move(name));
}

std::string hexString(std::span<const std::uint32_t> words) {
    std::string text;
    text.reserve(words.size() * 10);
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) text += "  ";
        hex::append(text, words[i], 8);
    }
    return text;
}

bool isSystemStatus(const MIDIMessage& message, std::uint8_t status) {
    return message.messageType == UMPMessageType::system && !message.words.empty() &&
           ump::systemStatus(message.words[0]) == status;
}

} // namespace umbrascope
