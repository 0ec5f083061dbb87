#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "app/SpeechLogFile.hpp"
#include "midi/replay/CaptureFile.hpp"

namespace umbrascope::desktop {

// What the monitor is started with: the system's MIDI sources always, plus these.
struct MonitorRequest {
    // Read before any window opens; every window shares them.
    std::vector<std::shared_ptr<const Capture>> captures;
    // Where each of `captures` was read, in the same order: a window opened after the others have
    // played a capture reads it again. A capture without a file here is held for later windows.
    std::vector<std::filesystem::path> captureFiles;
    bool demo = false;
    std::string speech; // a speech backend name; empty picks the first that works
    // Opened before any window, so a file that cannot be written is an error at start-up; it logs
    // what the first window says.
    std::shared_ptr<SpeechLogFile> speechLog;
    // Hidden: save a picture of the first window once the list shows rows, then quit.
    std::optional<std::filesystem::path> screenshot;
};

// Reads the arguments and the capture files they name. Help and the version go to `out` and give
// exit code 0; a bad option or a capture file that cannot be read is explained on `err` (naming
// the file and the line) and gives exit code 2.
std::variant<MonitorRequest, int> readCommandLine(int argc, const char* const* argv,
                                                  std::ostream& out, std::ostream& err);

} // namespace umbrascope::desktop
