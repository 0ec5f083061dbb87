#include "midi/replay/CaptureWriter.hpp"

#include <cstdio>
#include <span>

#include "core/Hex.hpp"
#include "midi/replay/CaptureFile.hpp"

namespace umbrascope {

namespace {

void appendDelay(std::chrono::nanoseconds delay, std::string& out) {
    char text[32];
    std::snprintf(text, sizeof text, "+%lld.%06lld",
                  static_cast<long long>(delay.count() / 1'000'000'000),
                  static_cast<long long>(delay.count() % 1'000'000'000 / 1000));
    out += text;
}

} // namespace

void CaptureWriter::add(const MIDIMessage& message, std::string& out) {
    const bool sameArrival = lineTime_ == message.timestamp && lineSource_ == message.sourceID &&
                             lineWords_ + message.words.size() <= maxCaptureWords;
    if (!sameArrival) {
        std::chrono::nanoseconds delay{0};
        if (writtenTime_) {
            const auto since = message.timestamp - *writtenTime_;
            if (since < std::chrono::nanoseconds(0) || since > maxCaptureDelay) {
                // The clock was set back, or nothing came for a day: the next line starts afresh.
                delay = since < std::chrono::nanoseconds(0) ? std::chrono::nanoseconds(0)
                                                            : maxCaptureDelay;
                writtenTime_ = message.timestamp;
            } else {
                delay = std::chrono::floor<std::chrono::microseconds>(since);
                *writtenTime_ += std::chrono::duration_cast<WallTime::duration>(delay);
            }
        } else {
            writtenTime_ = message.timestamp;
        }
        endLine(out);
        if (!named_) {
            out += "@source " + escapeCaptureSourceName(message.sourceName()) + '\n';
            named_ = true;
        } else if (lineSource_ != message.sourceID) {
            out += "# from " + escapeCaptureSourceName(message.sourceName()) + '\n';
        }
        appendDelay(delay, out);
        lineTime_ = message.timestamp;
        lineSource_ = message.sourceID;
    }
    for (const std::uint32_t word : message.words) {
        out += ' ';
        out += hexString(std::span(&word, 1));
    }
    lineWords_ += message.words.size();
}

void CaptureWriter::endLine(std::string& out) {
    if (lineWords_ > 0) out += '\n';
    lineWords_ = 0;
}

} // namespace umbrascope
