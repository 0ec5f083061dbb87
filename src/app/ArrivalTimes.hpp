#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/Clock.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope {

// How a row gives the moment its message arrived.
enum class TimeStyle : std::uint8_t {
    sinceStart, // "12.345": seconds since the monitor started
    timeOfDay,  // "14:03:07.123": the local time of day
};

struct TimeStyleEntry {
    TimeStyle style;
    std::string_view label; // the View menu's item, also spoken when chosen
    std::string_view hint;
};

// The View menu's choices, in its order.
inline constexpr std::array<TimeStyleEntry, 2> timeStyles{{
    {TimeStyle::sinceStart, "Time Since Start",
     "Each row shows when its message arrived, in seconds since the monitor started, to the "
     "millisecond"},
    {TimeStyle::timeOfDay, "Time of Day",
     "Each row shows the time of day its message arrived, to the millisecond"},
}};

constexpr const TimeStyleEntry& entryFor(TimeStyle style) {
    return timeStyles[static_cast<std::size_t>(style)];
}

// When messages arrived, as the rows, the breakdown and its reading give it: measured from the
// moment this was made (the monitor's start), on the clock that stamps the messages. Main thread.
class ArrivalTimes {
public:
    explicit ArrivalTimes(const Clock& clock) : clock_(clock), start_(clock.wallNow()) {}

    WallTime start() const { return start_; }
    TimeStyle style() const { return style_; }
    void setStyle(TimeStyle style) { style_ = style; }

    // "12.345" or "14:03:07.123", in the chosen style.
    std::string text(const MIDIMessage& message) const;
    // "12.345", whatever the style: the CSV and replay's time column.
    std::string sinceStartText(const MIDIMessage& message) const;
    // "Arrived 12.345 seconds after the start." or "Arrived at 14:03:07.123."
    std::string sentence(const MIDIMessage& message) const;

private:
    const Clock& clock_;
    WallTime start_;
    TimeStyle style_ = TimeStyle::sinceStart;
};

} // namespace umbrascope
