#include "terminal/KeyDecoder.hpp"

#include <utility>

namespace umbrascope::terminal {

namespace {

constexpr char escape = '\x1b';

// How long the escape sequence at the start of `text` is; 0 while it is unfinished.
std::size_t sequenceLength(std::string_view text) {
    if (text.size() < 2) return 0;
    if (text[1] != '[' && text[1] != 'O') return 1; // ESC then a plain key: the Escape key
    // CSI and SS3: parameters and intermediates (0x20 to 0x3F), then one final byte.
    for (std::size_t i = 2; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x40 && byte <= 0x7E) return i + 1;
        if (byte < 0x20 || byte > 0x3F) return i; // not a sequence after all
    }
    return 0;
}

} // namespace

std::vector<TerminalKey> KeyDecoder::feed(std::string_view bytes) {
    std::vector<TerminalKey> keys;
    pending_.append(bytes);
    std::string_view text = pending_;
    while (!text.empty()) {
        const char byte = text.front();
        if (byte == escape) {
            std::size_t length = sequenceLength(text);
            if (length == 0) {
                if (text.size() > 32) {
                    // A sequence gone wrong: one Escape key, then start afresh.
                    keys.push_back({TerminalKey::Kind::escape});
                    text.remove_prefix(1);
                    continue;
                }
                break; // the rest arrives with the next read
            }
            if (length == 1) {
                keys.push_back({TerminalKey::Kind::escape});
            } else {
                const char final = text[length - 1];
                const bool plain = length == 3; // no parameters: ESC [ A or ESC O A
                if (plain && final == 'A') keys.push_back({TerminalKey::Kind::up});
                if (plain && final == 'B') keys.push_back({TerminalKey::Kind::down});
            }
            text.remove_prefix(length);
            continue;
        }
        text.remove_prefix(1);
        switch (byte) {
        case '\r':
        case '\n':
            keys.push_back({TerminalKey::Kind::enter});
            break;
        case '\x03':
            keys.push_back({TerminalKey::Kind::interrupt});
            break;
        case '\x1a':
            keys.push_back({TerminalKey::Kind::suspend});
            break;
        default:
            if (byte >= ' ' && byte <= '~') keys.push_back({TerminalKey::Kind::character, byte});
        }
    }
    pending_.erase(0, pending_.size() - text.size());
    return keys;
}

std::vector<TerminalKey> KeyDecoder::flush() {
    if (pending_.empty()) return {};
    std::string rest = std::exchange(pending_, {}).substr(1);
    std::vector<TerminalKey> keys{{TerminalKey::Kind::escape}};
    for (const auto& key : feed(rest))
        keys.push_back(key);
    return keys;
}

} // namespace umbrascope::terminal
