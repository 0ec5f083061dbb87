#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace umbrascope::terminal {

// One key as a terminal in raw mode sends it.
struct TerminalKey {
    enum class Kind { character, up, down, enter, escape, interrupt, suspend };
    Kind kind = Kind::character;
    char character = 0; // for Kind::character: a printable ASCII character

    friend bool operator==(const TerminalKey&, const TerminalKey&) = default;
};

// Turns the bytes a terminal sends into keys. Escape sequences may arrive split over reads (over
// SSH, say): an unfinished one, a lone ESC included, waits for the next feed, and is the Escape
// key when flush() finds it still waiting a moment later. Sequences and characters that no
// command uses (function keys, other arrows, non-ASCII text) are dropped.
class KeyDecoder {
public:
    std::vector<TerminalKey> feed(std::string_view bytes);
    // A sequence is waiting for the rest of it.
    bool waiting() const { return !pending_.empty(); }
    // What waits is given up on: an Escape key, and the keys after it.
    std::vector<TerminalKey> flush();
    // How long the rest of a sequence is waited for.
    static constexpr std::chrono::milliseconds sequenceWait{50};

private:
    std::string pending_; // the start of an escape sequence
};

} // namespace umbrascope::terminal
