#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/AtomicFile.hpp"
#include "app/BackgroundQueue.hpp"
#include "core/MainQueue.hpp"
#include "model/MIDIMessage.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope {

// "Exported 3 Messages" ("Messages" for every count) or "Export Failed".
std::string exportResultText(bool succeeded, std::size_t messageCount);

// Writes the buffer as CSV away from the main thread and speaks the result on it. Lives on the
// main thread; the save panel is the caller's, which passes the chosen location.
class CSVExporter {
public:
    using NarrationLevel = std::function<TTSLevel()>;  // read on the main thread
    using SpeakNow = std::function<void(std::string)>; // interrupt and say, no source voice
    using FileWriter =
        std::function<std::optional<std::string>(const std::filesystem::path&, std::string_view)>;

    // The main queue, and whatever `level` and `speakNow` refer to, must outlive every export in
    // flight: the background task captures them, not this object.
    CSVExporter(BackgroundQueue& background, MainQueue& main, NarrationLevel level,
                SpeakNow speakNow, FileWriter writer = {});

    // `messages` is the caller's copy of the buffer as it is now, hidden messages included.
    void exportCSV(std::vector<MIDIMessage> messages, std::filesystem::path location);

private:
    BackgroundQueue& background_;
    MainQueue& main_;
    NarrationLevel level_;
    SpeakNow speakNow_;
    FileWriter writer_;
};

} // namespace umbrascope
