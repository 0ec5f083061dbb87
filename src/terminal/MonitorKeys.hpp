#pragma once

#include <array>
#include <string>
#include <string_view>

#include "terminal/KeyDecoder.hpp"

namespace umbrascope::terminal {

// The keys the terminal adds to the window's, none of them one of acceptedKeyCharacters.
enum class MonitorCommand { quit, breakdown, clear, bufferSize, help };

struct MonitorKey {
    char key; // '\r' stands for Enter
    MonitorCommand command;
    std::string_view guide;
};

inline constexpr std::array<MonitorKey, 5> monitorKeys{{
    {'q', MonitorCommand::quit, "q or Ctrl+C: quit"},
    {'\r', MonitorCommand::breakdown, "Enter: print the breakdown of the newest message"},
    {'x', MonitorCommand::clear, "x: clear the messages"},
    {'b', MonitorCommand::bufferSize, "b: next buffer size (500, 1000, 5000)"},
    {'?', MonitorCommand::help, "?: this help"},
}};

// The keys of the device list, taken before the window's while the list is open.
enum class DeviceCommand { close, previous, next, toggle, nextVoice, panLeft, panRight };

struct DeviceKey {
    TerminalKey key;
    DeviceCommand command;
};

inline constexpr std::array<DeviceKey, 8> deviceKeys{{
    {{TerminalKey::Kind::escape}, DeviceCommand::close},
    {{TerminalKey::Kind::character, 'd'}, DeviceCommand::close},
    {{TerminalKey::Kind::up}, DeviceCommand::previous},
    {{TerminalKey::Kind::down}, DeviceCommand::next},
    {{TerminalKey::Kind::character, ' '}, DeviceCommand::toggle},
    {{TerminalKey::Kind::character, 'v'}, DeviceCommand::nextVoice},
    {{TerminalKey::Kind::character, '<'}, DeviceCommand::panLeft},
    {{TerminalKey::Kind::character, '>'}, DeviceCommand::panRight},
}};

// Every key of the monitor in a terminal, one command a line: the window's keys from its command
// table, then the terminal's own, then the keys of the device list.
std::string helpText();

} // namespace umbrascope::terminal
