#include "app/KeyScript.hpp"

#include <algorithm>
#include <array>
#include <charconv>

namespace umbrascope {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool equalsIgnoringCase(std::string_view text, std::string_view lower) {
    return text.size() == lower.size() &&
           std::equal(text.begin(), text.end(), lower.begin(),
                      [](char a, char b) { return lowerCase(a) == lowerCase(b); });
}

std::string expectedKey() {
    return "a key (one of " + keyScriptKeys() + ")";
}

ScriptedKey parseEntry(std::string_view entry, std::size_t column) {
    const auto at = entry.find('@');
    const std::string_view name = entry.substr(0, at);
    if (name.empty()) throw KeyScriptError(column, "expected " + expectedKey() + " before '@'");

    ScriptedKey key;
    if (name.size() == 1 && findKeyCommand(WindowKey::typed(name[0]))) {
        key.key = name[0];
    } else {
        const auto arrow = std::find_if(keyCommands.begin(), keyCommands.end(), [&](const auto& e) {
            return e.arrow && equalsIgnoringCase(name, arrowName(*e.arrow));
        });
        if (arrow == keyCommands.end())
            throw KeyScriptError(column, "expected " + expectedKey() + ", found '" +
                                             std::string(name) + "'");
        key.key = *arrow->arrow;
    }
    if (at == std::string_view::npos)
        throw KeyScriptError(column + entry.size(),
                             "expected '@' and a packet number after '" + std::string(name) + "'");

    const std::string_view number = entry.substr(at + 1);
    const std::size_t numberColumn = column + at + 1;
    const char* end = number.data() + number.size();
    const auto [stop, error] = std::from_chars(number.data(), end, key.beforePacket);
    if (number.empty() || number[0] == '+' || number[0] == '-' ||
        (error != std::errc() && error != std::errc::result_out_of_range))
        throw KeyScriptError(numberColumn, "expected a packet number (0 or more) after '@'");
    if (error == std::errc::result_out_of_range)
        throw KeyScriptError(numberColumn,
                             "packet number '" + std::string(number) + "' is too large");
    if (stop != end)
        throw KeyScriptError(numberColumn + static_cast<std::size_t>(stop - number.data()),
                             "expected a blank or the end after the packet number");
    return key;
}

} // namespace

std::string keyScriptKeys() {
    std::string text(acceptedKeyCharacters);
    std::string_view separator = ", ";
    for (const KeyCommandEntry& entry : keyCommands)
        if (entry.arrow) {
            text.append(separator).append(arrowName(*entry.arrow));
            separator = " or ";
        }
    return text;
}

KeyScriptError::KeyScriptError(std::size_t column, const std::string& message)
    : std::invalid_argument("column " + std::to_string(column) + ": " + message), column_(column),
      detail_(message) {}

std::vector<ScriptedKey> parseKeyScript(std::string_view script) {
    std::vector<ScriptedKey> keys;
    std::size_t i = 0;
    while (i < script.size()) {
        if (isBlank(script[i])) {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < script.size() && !isBlank(script[i]))
            ++i;
        keys.push_back(parseEntry(script.substr(start, i - start), start + 1));
    }
    std::stable_sort(keys.begin(), keys.end(), [](const ScriptedKey& a, const ScriptedKey& b) {
        return a.beforePacket < b.beforePacket;
    });
    return keys;
}

KeyResult press(ContentView& view, const ScriptedKey& key) {
    if (const auto* arrow = std::get_if<ArrowKey>(&key.key)) return view.handleKey(*arrow);
    const char character = std::get<char>(key.key);
    return view.handleKey(std::string_view(&character, 1));
}

} // namespace umbrascope
