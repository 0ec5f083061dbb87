#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "app/SettingSwitches.hpp"

namespace umbrascope {

enum class ArrowKey { up, down };
enum class KeyResult { handled, ignored };

// One key press of the window: a typed character (upper case acts as lower case), or an arrow.
struct WindowKey {
    char character = 0;
    std::optional<ArrowKey> arrow;

    static constexpr WindowKey typed(char c) { return {c, std::nullopt}; }
    static constexpr WindowKey of(ArrowKey a) { return {0, a}; }
    friend bool operator==(const WindowKey&, const WindowKey&) = default;
};

enum class Command {
    showOrHideType, // the digit is the key number in the legend order
    toggleSetting,
    cycleTTSLevel,
    slower,
    faster,
    louder,
    softer,
    readGuide,
    readNewestBreakdown,
    readRecent,
    openDeviceSettings,
    requestExport,
    togglePause,
};
inline constexpr std::size_t commandCount = 13;

struct KeyCommandEntry {
    std::string_view characters; // lower case, each its own key; empty for an arrow
    std::optional<ArrowKey> arrow;
    Command command;
    SettingSwitch setting;       // what toggleSetting toggles
    std::string_view written;    // the key in the guide; empty: the character in upper case
    std::string_view guideLine;  // empty: shares the line above
    std::string_view spokenLine; // the spoken guide's sentence; empty: not spoken
};

namespace key_detail {
constexpr std::string_view keyOf(SettingSwitch setting) {
    return {&entryFor(setting).key, 1};
}
} // namespace key_detail

// Every key command of the window, in the order of the guide's shortcut list. The window, the
// key router, the guide and the replay's key scripts all read it.
inline constexpr std::array<KeyCommandEntry, 20> keyCommands{{
    {"12345678",
     {},
     Command::showOrHideType,
     {},
     "1–8",
     "Show/hide each message type (matches the legend order)",
     "Keys 1 through 8 show or hide each message type, matching the legend order."},
    {key_detail::keyOf(SettingSwitch::onlyUMPSources),
     {},
     Command::toggleSetting,
     SettingSwitch::onlyUMPSources,
     "",
     "Toggle Only UMP-Native Connections",
     "U toggles Only U. M. Pea-Native Connections."},
    {key_detail::keyOf(SettingSwitch::midi1ProtocolOnly),
     {},
     Command::toggleSetting,
     SettingSwitch::midi1ProtocolOnly,
     "",
     "Toggle MIDI 1.0 Protocol Only (see what a MIDI 1.0 app receives)",
     "L toggles MIDI 1 point 0 Protocol Only."},
    {key_detail::keyOf(SettingSwitch::hideActiveSensing),
     {},
     Command::toggleSetting,
     SettingSwitch::hideActiveSensing,
     "",
     "Toggle No Active Sensing",
     "S toggles No Active Sensing."},
    {key_detail::keyOf(SettingSwitch::hideMidiClock),
     {},
     Command::toggleSetting,
     SettingSwitch::hideMidiClock,
     "",
     "Toggle No MIDI Clock",
     "C toggles No MIDI Clock."},
    {"t",
     {},
     Command::cycleTTSLevel,
     {},
     "",
     "Cycle TTS: Off → Short → Verbose",
     "T cycles TTS through Off, Short and Verbose."},
    {key_detail::keyOf(SettingSwitch::clickOnMessage),
     {},
     Command::toggleSetting,
     SettingSwitch::clickOnMessage,
     "",
     "Toggle Tick on Message",
     "K toggles Tick on Message."},
    {key_detail::keyOf(SettingSwitch::lastInterrupts),
     {},
     Command::toggleSetting,
     SettingSwitch::lastInterrupts,
     "",
     "Toggle Last Interrupts",
     "I toggles Last Interrupts."},
    {"r",
     {},
     Command::readRecent,
     {},
     "",
     "Speak a quick catch-up of the last 10 seconds (max 10 messages)",
     "R speaks a quick catch-up of the last 10 seconds."},
    {"d",
     {},
     Command::openDeviceSettings,
     {},
     "",
     "Open the Devices panel",
     "D opens the Devices panel."},
    {"e",
     {},
     Command::requestExport,
     {},
     "",
     "Export the buffer to CSV",
     "E exports the buffer to C. S. V."},
    {"p",
     {},
     Command::togglePause,
     {},
     "",
     "Pause / resume the list, its speech and ticks (arrivals are still kept and counted)",
     "P pauses the list, its speech and its ticks, and resumes them; what arrives meanwhile is "
     "kept and counted."},
    {"[",
     {},
     Command::slower,
     {},
     "",
     "Speech rate: slower / faster",
     "The left and right square brackets make speech slower and faster."},
    {"]", {}, Command::faster, {}, "", "", ""},
    // A screen reader's user reads lists, text and pickers with the arrows: there they stay
    // the control's, and the minus and equals keys work everywhere instead.
    {"",
     ArrowKey::up,
     Command::louder,
     {},
     "↑",
     "Speech volume: up / down, where the focus does not use the arrows",
     "The up and down arrow keys turn the speech volume up and down where the focus does not "
     "use them."},
    {"", ArrowKey::down, Command::softer, {}, "↓", "", ""},
    {"-",
     {},
     Command::softer,
     {},
     "",
     "Speech volume: down / up, wherever the focus is",
     "The minus and equals keys turn the speech volume down and up wherever the focus is."},
    {"=+", {}, Command::louder, {}, "=", "", ""}, // + is the shifted =
    {"g",
     {},
     Command::readGuide,
     {},
     "",
     "Read this guide aloud / stop reading — works anytime, this window doesn't need to be open",
     ""},
    {"m",
     {},
     Command::readNewestBreakdown,
     {},
     "",
     "Read the More data (full field breakdown) of the most recently received message aloud / "
     "stop reading — works anytime, the More popup doesn't need to be open",
     "M reads the More data of the most recently received message aloud, or stops reading; it "
     "works whether or not the More popup is open."},
}};

constexpr char lowerCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
constexpr char upperCase(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// The command of a key, or none when the window does not take it.
constexpr const KeyCommandEntry* findKeyCommand(const WindowKey& key) {
    for (const KeyCommandEntry& entry : keyCommands) {
        if (key.arrow) {
            if (entry.arrow == key.arrow) return &entry;
        } else if (key.character != 0 &&
                   entry.characters.find(lowerCase(key.character)) != std::string_view::npos) {
            return &entry;
        }
    }
    return nullptr;
}

namespace key_detail {
constexpr std::size_t acceptedCount() {
    std::size_t n = 0;
    for (const KeyCommandEntry& entry : keyCommands)
        for (const char c : entry.characters)
            n += upperCase(c) != c ? 2u : 1u;
    return n;
}
inline constexpr auto acceptedArray = [] {
    std::array<char, acceptedCount()> text{};
    std::size_t n = 0;
    for (const KeyCommandEntry& entry : keyCommands)
        for (const char c : entry.characters) {
            text[n++] = c;
            if (upperCase(c) != c) text[n++] = upperCase(c);
        }
    return text;
}();
} // namespace key_detail

// Every character the window takes as a key, both cases of each letter.
inline constexpr std::string_view acceptedKeyCharacters{key_detail::acceptedArray.data(),
                                                        key_detail::acceptedArray.size()};

// The names of the arrows in key scripts and usage texts.
constexpr std::string_view arrowName(ArrowKey arrow) {
    return arrow == ArrowKey::up ? "Up" : "Down";
}

} // namespace umbrascope
