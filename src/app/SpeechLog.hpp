#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "audio/SpeechAnnouncer.hpp"
#include "core/Clock.hpp"
#include "core/ObserverList.hpp"

namespace umbrascope {

// Writes what the announcer is asked to say, so speech can be checked, or followed by someone who
// cannot hear it, without audio. One line when an utterance is handed to the synthesizer, and one
// when its outcome is known:
//
//   12.345 handed-over source=7 voice="en-us" rate=0.50 volume=1.00 "Note On C4"
//   12.901 spoken source=7 voice="en-us" rate=0.50 volume=1.00 "Note On C4"
//
// The time is the event's, in seconds on the monotonic clock since the log began; the outcome
// is spoken, cut-off or failed (the synthesizer could not say it), unheard (played where no one
// hears it, with why="..." after the text), or dropped-busy for a request never handed over (its
// only line); source is "-" and voice default when there is none; the
// voice and the text are quoted with \" \\ \n and \xHH escapes, so a line never breaks or
// drives a terminal.
//
// Main thread only. The stream and the clock must outlive the log; the announcer may go first.
class SpeechLog {
public:
    // `writeFailed` is called once, when a line first fails to reach `out`.
    SpeechLog(SpeechAnnouncer& announcer, std::ostream& out, const Clock& clock,
              std::function<void()> writeFailed = {});
    // Requests still under way are written as cut off.
    ~SpeechLog();
    // Why what is played now is not heard (no audio device), or empty; asked as each utterance
    // ends spoken.
    void setUnheardCheck(std::function<std::string()> whyUnheard) {
        whyUnheard_ = std::move(whyUnheard);
    }
    SpeechLog(const SpeechLog&) = delete;
    SpeechLog& operator=(const SpeechLog&) = delete;

private:
    struct Pending {
        Utterance utterance;
        std::optional<std::int32_t> sourceID;
    };

    void heard(const UtteranceEvent& event);
    void write(MonoTime when, std::string_view outcome, const Utterance& utterance,
               std::optional<std::int32_t> sourceID, std::string_view why = {});

    std::ostream& out_;
    const Clock& clock_;
    MonoTime start_;
    std::vector<Pending> pending_;
    std::function<void()> writeFailed_;
    std::function<std::string()> whyUnheard_;
    ObserverList<const UtteranceEvent&>::Subscription subscription_;
};

} // namespace umbrascope
