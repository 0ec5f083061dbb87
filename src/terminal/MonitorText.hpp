#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/ContentView.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope::terminal {

// A source's name made terminal-safe once for the run of its messages: the records of a source
// share one name.
class SafeSourceName {
public:
    const std::string& of(const MIDIMessage& message);

private:
    std::shared_ptr<const std::string> name_; // held, so its address is not reused
    std::string safe_;
};

// A message as one plain line: sequence number, source, hex words, class and description,
// separated by tabs, as replay prints its buffer; device text made terminal-safe. A `time`
// ("12.345") leads, when given, as replay's --time puts it.
void appendMessageLine(std::string& out, const MIDIMessage& message, SafeSourceName& names,
                       std::string_view time = {});

// A message as one JSON object on a line: the fields decode --json gives a packet (words, type,
// displayName, hex, description, short, verbose) and where and when it came from
// (sequenceNumber, time in UTC with milliseconds, sourceID, source).
void appendMessageJSON(std::string& out, const MIDIMessage& message);

// What the status line shows, one item each: "Narration: TTS Short". Items a screen reader
// should not hear again with every message (the count, idle) are `busy`.
struct StatusItem {
    std::string_view name;
    std::string value;
    bool busy = false;
};
std::vector<StatusItem> statusItems(ContentView& view);

// The newest visible message's field breakdown as the Enter key prints it, with when it arrived;
// a line saying there is none when the list is empty.
std::string newestBreakdownText(const ContentView& view);

} // namespace umbrascope::terminal
