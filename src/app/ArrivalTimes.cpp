#include "app/ArrivalTimes.hpp"

#include "text/TimeText.hpp"

namespace umbrascope {

static_assert(entryFor(TimeStyle::timeOfDay).style == TimeStyle::timeOfDay,
              "timeStyles is indexed by TimeStyle");

std::string ArrivalTimes::text(const MIDIMessage& message) const {
    if (style_ == TimeStyle::timeOfDay)
        return timeOfDayText(message.timestamp, clock_.utcOffset(message.timestamp));
    return sinceStartText(message);
}

std::string ArrivalTimes::sinceStartText(const MIDIMessage& message) const {
    return secondsSinceText(start_, message.timestamp);
}

std::string ArrivalTimes::sentence(const MIDIMessage& message) const {
    if (style_ == TimeStyle::timeOfDay) return "Arrived at " + text(message) + ".";
    return "Arrived " + text(message) + " seconds after the start.";
}

} // namespace umbrascope
