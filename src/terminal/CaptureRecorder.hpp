#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/AtomicFile.hpp"
#include "core/ObserverList.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/replay/CaptureWriter.hpp"

namespace umbrascope::terminal {

// Writes what the store keeps, as it arrives, as a capture file that replay plays back as it
// happened (the lines as CaptureWriter forms them).
//
// The file is replaced as a whole when finish() commits it, like an export: an interrupted run
// leaves the old file as it was. Main thread.
class CaptureRecorder {
public:
    CaptureRecorder(MIDIManager& manager, const std::filesystem::path& location);

    // Why the file cannot be written, from the start or since a write failed.
    const std::optional<std::string>& failure() const { return file_.failure(); }
    // Nothing when the file is in place, else why it is not.
    std::optional<std::string> finish();

private:
    void appended(std::size_t count);

    MIDIManager& manager_;
    AtomicFileWriter file_;
    std::string pending_; // the line under way and what is not yet written
    CaptureWriter writer_;
    ObserverList<const MessagesChange&>::Subscription subscription_;
};

} // namespace umbrascope::terminal
