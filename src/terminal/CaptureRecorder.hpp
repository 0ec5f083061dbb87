#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/AtomicFile.hpp"
#include "core/ObserverList.hpp"
#include "midi/MIDIManager.hpp"

namespace umbrascope::terminal {

// Writes what the store keeps, as it arrives, as a capture file that replay plays back as it
// happened: the first source's "@source" line, then one line per arrival with its delay since
// the one before ("+0.250000 40903C00 FFFF0000"). Messages of one arrival share a line while
// they fit; a change of source is noted in a comment, since a capture is one source.
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
    void endLine();

    MIDIManager& manager_;
    AtomicFileWriter file_;
    std::string pending_; // the line under way and what is not yet written
    std::size_t lineWords_ = 0;
    std::optional<WallTime> lineTime_;
    std::optional<std::int32_t> lineSource_;
    std::optional<std::string> sourceName_;
    ObserverList<const MessagesChange&>::Subscription subscription_;
};

} // namespace umbrascope::terminal
