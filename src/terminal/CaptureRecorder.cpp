#include "terminal/CaptureRecorder.hpp"

#include <algorithm>
#include <cstdio>

#include "midi/replay/CaptureFile.hpp"

namespace umbrascope::terminal {

namespace {

// Written out once this much has gathered, so a long session costs few writes.
constexpr std::size_t writeChunk = 64 * 1024;

std::string delayText(std::chrono::nanoseconds delay) {
    delay =
        std::clamp(delay, std::chrono::nanoseconds(0), std::chrono::nanoseconds(maxCaptureDelay));
    char text[32];
    std::snprintf(text, sizeof text, "+%lld.%06lld",
                  static_cast<long long>(delay.count() / 1'000'000'000),
                  static_cast<long long>(delay.count() % 1'000'000'000 / 1000));
    return text;
}

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
    for (auto it = messages.end() - static_cast<std::ptrdiff_t>(count); it != messages.end();
         ++it) {
        const MIDIMessage& message = *it;
        const bool sameArrival = lineTime_ == message.timestamp &&
                                 lineSource_ == message.sourceID &&
                                 lineWords_ + message.words.size() <= maxCaptureWords;
        if (!sameArrival) {
            const auto delay =
                lineTime_ ? message.timestamp - *lineTime_ : std::chrono::nanoseconds(0);
            endLine();
            if (!sourceName_) {
                sourceName_ = message.sourceName();
                pending_ += "@source " + escapeCaptureSourceName(*sourceName_) + '\n';
            } else if (lineSource_ != message.sourceID) {
                pending_ += "# from " + escapeCaptureSourceName(message.sourceName()) + '\n';
            }
            pending_ += delayText(delay);
            lineTime_ = message.timestamp;
            lineSource_ = message.sourceID;
        }
        for (const std::uint32_t word : message.words) {
            pending_ += ' ';
            pending_ += hexString(std::span(&word, 1));
        }
        lineWords_ += message.words.size();
    }
    if (pending_.size() >= writeChunk) {
        const auto lineStart = pending_.rfind('\n');
        if (lineStart != std::string::npos) {
            file_.write(std::string_view(pending_).substr(0, lineStart + 1));
            pending_.erase(0, lineStart + 1);
        }
    }
}

void CaptureRecorder::endLine() {
    if (lineWords_ > 0) pending_ += '\n';
    lineWords_ = 0;
}

std::optional<std::string> CaptureRecorder::finish() {
    subscription_ = {};
    endLine();
    file_.write(pending_);
    pending_.clear();
    return file_.commit();
}

} // namespace umbrascope::terminal
