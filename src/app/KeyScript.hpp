#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/ContentView.hpp"

namespace umbrascope {

// One window key of a script, pressed before the packet with index `beforePacket` (from 0).
struct ScriptedKey {
    std::variant<char, ArrowKey> key;
    std::size_t beforePacket = 0;

    friend bool operator==(const ScriptedKey&, const ScriptedKey&) = default;
};

// Where a script is wrong (1-based column) and what was expected there.
class KeyScriptError : public std::invalid_argument {
public:
    KeyScriptError(std::size_t column, const std::string& message);
    std::size_t column() const { return column_; }
    // What was expected, without the column.
    const std::string& detail() const { return detail_; }

private:
    std::size_t column_;
    std::string detail_;
};

// The keys a script may name: "12345678uU…, Up or Down".
std::string keyScriptKeys();

// Parses a key script such as "T@0 5@10 Up@3": entries separated by blanks, each a key, '@' and
// a packet index. A key is one of acceptedKeyCharacters, or an arrow by its name (any case). The
// keys come back ordered by packet; keys before the same packet keep their written order. Throws
// KeyScriptError.
std::vector<ScriptedKey> parseKeyScript(std::string_view script);

// Presses the key on the window.
KeyResult press(ContentView& view, const ScriptedKey& key);

} // namespace umbrascope
