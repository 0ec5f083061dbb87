#include "terminal/CaptureRecorder.hpp"

#include <algorithm>

namespace umbrascope::terminal {

namespace {

// Written out once this much has gathered, so a long session costs few writes.
constexpr std::size_t writeChunk = 64 * 1024;

} // namespace

CaptureRecorder::CaptureRecorder(MIDIManager& manager, const std::filesystem::path& location)
    : manager_(manager), file_(location) {
    subscription_ = manager_.messageChanges().subscribe([this](const MessagesChange& change) {
        if (change.appended > 0) appended(change.appended);
    });
}

void CaptureRecorder::appended(std::size_t count) {
    const auto& messages = manager_.messages();
    // A batch larger than the buffer has already lost its front.
    count = std::min(count, messages.size());
    for (auto it = messages.end() - static_cast<std::ptrdiff_t>(count); it != messages.end(); ++it)
        writer_.add(*it, pending_);
    if (pending_.size() >= writeChunk) {
        const auto lineStart = pending_.rfind('\n');
        if (lineStart != std::string::npos) {
            file_.write(std::string_view(pending_).substr(0, lineStart + 1));
            pending_.erase(0, lineStart + 1);
        }
    }
}

std::optional<std::string> CaptureRecorder::finish() {
    subscription_ = {};
    writer_.endLine(pending_);
    file_.write(pending_);
    pending_.clear();
    return file_.commit();
}

} // namespace umbrascope::terminal
