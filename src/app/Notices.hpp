#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/Clock.hpp"

namespace umbrascope {

// What went wrong that the user should know of, and when it is said: a speech problem, why there
// is no MIDI input, input overruns and a capture file that could not be opened. Each text stays
// until the program ends, except the file's, which the next file replaces. The owner speaks
// what the calls return (only while narration is on) and shows line().
// Thread: main.
class Notices {
public:
    // A flood can overrun the input many times a second: it is said at most this often.
    static constexpr std::chrono::seconds overrunSpeechInterval{10};
    static constexpr std::string_view overrunSpeech = "Incoming MIDI was lost";

    // The notices in one line, `inputOverruns` being the count so far; empty while all is well.
    std::string line(std::uint64_t inputOverruns) const;

    // Returns what to say: the text itself.
    const std::string& showSpeechNotice(std::string text);

    // Returns what to say: the text itself; empty takes the file's notice away.
    const std::string& showFileNotice(std::string text);

    const std::string& midiNotice() const { return midiNotice_; }
    // Returns what to say: the text itself. It counts as said only when `narrationOn`; otherwise
    // takeUnsaidMIDINotice hands it over once.
    const std::string& showMIDINotice(std::string text, bool narrationOn);
    // Narration was turned on: the MIDI notice if it was never said, then never again.
    std::optional<std::string> takeUnsaidMIDINotice();

    // The input overran at `now`: overrunSpeech unless it was said less than
    // overrunSpeechInterval ago.
    std::optional<std::string> inputOverran(MonoTime now);

private:
    std::string speechNotice_;
    std::string midiNotice_;
    std::string fileNotice_;
    bool midiNoticeSaid_ = false;
    std::optional<MonoTime> overrunSaid_;
};

} // namespace umbrascope
