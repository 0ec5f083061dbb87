#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "core/Clock.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope {

// Forms the lines of a capture file from messages as the store keeps them, for replay to play
// back as they arrived: the first source's "@source" line, then one line per arrival with its
// delay since the one before ("+0.250000 40903C00 FFFF0000"). Messages of one arrival share a
// line while they fit. A capture is one source: a change of source is noted in a comment
// ("# from Pads"), and the file plays back as the first source.
//
// Delays are written to the microsecond and measured from where the lines before put the clock,
// so rounding does not add up over a long capture.
class CaptureWriter {
public:
    // Adds `message` to `out`, leaving its line open for more of the same arrival.
    void add(const MIDIMessage& message, std::string& out);
    // Ends the line under way; more may be added after it.
    void endLine(std::string& out);

private:
    std::size_t lineWords_ = 0;
    std::optional<WallTime> lineTime_;    // the arrival of the line under way
    std::optional<WallTime> writtenTime_; // that arrival as the written delays put it
    std::optional<std::int32_t> lineSource_;
    bool named_ = false;
};

// A whole capture file of `messages`, oldest first; empty for none.
template <typename Messages>
std::string captureText(const Messages& messages) {
    std::string text;
    CaptureWriter writer;
    for (const MIDIMessage& message : messages)
        writer.add(message, text);
    writer.endLine(text);
    return text;
}

} // namespace umbrascope
