#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.hpp"
#include "terminal/TerminalMonitor.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope::terminal {

// What `monitor` was asked to do, every option checked.
struct MonitorRequest {
    std::vector<std::string> files;
    bool demo = false;
    bool system = true;
    std::optional<DisplayMode> mode; // none: chosen by where the output goes
    std::optional<std::string> recordPath;
    std::string exportPath{ContentView::exportFileName};
    std::int64_t maxMessages = MIDIManager::defaultMaxMessages;
    TTSLevel announce = TTSLevel::off;
    std::string speech;
    std::optional<std::string> speechLog;
    bool time = false;
};

// Nothing when help was asked for. Throws cli::UsageError.
std::optional<MonitorRequest> parseMonitorRequest(cli::Arguments args);

// The mode for an output: screen on a terminal that can move its cursor, else lines.
DisplayMode automaticMode(bool outputIsTerminal, const char* term);
// Colour only in screen mode, on a terminal, and never with NO_COLOR set to anything.
bool useColour(DisplayMode mode, bool outputIsTerminal, const char* noColor);

} // namespace umbrascope::terminal
