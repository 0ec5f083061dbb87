#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "app/KeyScript.hpp"
#include "app/SettingSwitches.hpp"
#include "cli/Commands.hpp"
#include "cli/StopOnSignals.hpp"
#include "cli/TerminalLoop.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/replay/ReplayService.hpp"
#include "platform/SpeechSetup.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope::cli {

// What `replay` was asked to do: every option already checked and converted.
struct ReplayOptions {
    std::vector<std::string> files;
    std::int64_t maxMessages = MIDIManager::defaultMaxMessages;
    MessageTypeSet hidden;
    // Indexed by SettingSwitch: the window's switches that have a replay flag, and the others off.
    std::array<bool, settingSwitchCount> switches{};
    ReplayPace pace = ReplayPace::asFastAsPossible;
    TTSLevel announce = TTSLevel::off;
    std::string speech;
    std::optional<std::string> csvPath;
    // A leading column, printed and in the CSV: seconds since the replay started.
    bool time = false;
    // Ordered by packet: each is pressed just before the line of that index, counted over all
    // files from 0; the ones past the last line at the end.
    std::vector<ScriptedKey> keys;
    std::optional<std::string> speechLog;

    bool isOn(SettingSwitch setting) const { return switches[static_cast<std::size_t>(setting)]; }
};

// What a replay runs on: the system's clock, real waiting and the platform's speech, unless a
// test puts fakes here. `stop` ends the replay early, as a signal does.
struct ReplayRuntime {
    using MakeSpeech = std::function<std::optional<platform::SpeechSetup>(
        std::string_view backend, TerminalLoop& loop, std::ostream& err)>;

    const Clock* clock = &SystemClock::instance();
    Sleeper* waiter = nullptr; // none: a SystemSleeper
    MakeSpeech makeSpeech;     // none: platform::makeSpeech
    std::stop_token stop;
    // The signals that request `stop`, when they do: they may then give up a wait for a FIFO.
    StopOnSignals* signals = nullptr;
};

// Nothing when help was asked for. Throws UsageError.
std::optional<ReplayOptions> parseReplayOptions(Arguments args);
// What `replay --help` prints; `speechChoices` names the speech backends.
std::string replayUsage(std::string_view speechChoices);

// Reads every capture whole before anything plays, then plays them one after another through the
// monitor's window (its filters, announcements, ticks and keys) and prints the buffer or writes
// it as CSV. Returns the exit status; interruptedStatus, with nothing printed, when stopped.
int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& err,
              const ReplayRuntime& runtime = {});

} // namespace umbrascope::cli
