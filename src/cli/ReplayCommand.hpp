#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commands.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/replay/ReplayService.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope::cli {

// What `replay` was asked to do: every option already checked and converted.
struct ReplayOptions {
    std::vector<std::string> files;
    std::int64_t maxMessages = MIDIManager::defaultMaxMessages;
    MessageTypeSet hidden;
    bool noActiveSensing = false;
    bool noClock = false;
    bool onlyUMP = false;
    ReplayPace pace = ReplayPace::asFastAsPossible;
    TTSLevel announce = TTSLevel::off;
    bool ticks = false;
    std::string speech;
    std::optional<std::string> csvPath;
};

// Nothing when help was asked for. Throws UsageError.
std::optional<ReplayOptions> parseReplayOptions(Arguments args);

// Reads every capture whole before anything plays, then plays them one after another and prints
// the buffer or writes it as CSV. Returns the exit status.
int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& err);

} // namespace umbrascope::cli
