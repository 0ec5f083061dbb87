#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/MIDIMessage.hpp"

namespace umbrascope {

inline constexpr std::string_view csvHeader = "Source,Hex,TTS Short,TTS Verbose";
// The same columns after a leading Time column (replay's --time).
inline constexpr std::string_view csvTimedHeader = "Time,Source,Hex,TTS Short,TTS Verbose";

// A field quoted when it holds a comma, a double quote, a line feed or a carriage return (a bare
// CR splits the row in spreadsheet readers); double quotes inside are doubled.
std::string csvField(std::string_view text);
void appendCSVField(std::string& out, std::string_view text);

// The Source field: device names are device-controlled, so a name a spreadsheet would take for a
// formula (leading =, +, -, @, tab or CR) gets a leading apostrophe before quoting.
std::string csvSourceField(std::string_view source);

// The whole export file: header, one line per message in order with the short and verbose spoken
// texts (each column carrying its own running status from none), LF line ends and a final LF.
// Given `timesFrom`, every line starts with the seconds from it to the message's arrival
// ("12.345") under csvTimedHeader; without it the columns are exactly csvHeader's.
std::string csvText(std::span<const MIDIMessage> messages,
                    std::optional<WallTime> timesFrom = std::nullopt);

} // namespace umbrascope
