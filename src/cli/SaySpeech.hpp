#pragma once

#include <iosfwd>
#include <optional>
#include <stop_token>
#include <string>

#include "app/SpeechLogFile.hpp"
#include "core/MainQueue.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

struct SayRequest {
    std::string text;
    std::optional<std::string> voice;
    std::optional<float> rate;
    std::optional<float> volume;
    bool silenceAsked = false; // silence chosen by name is what was wanted
    SpeechLogFile* speechLog = nullptr;
    std::stop_token stop; // cuts the utterance off
};

// The value of --speech: a backend's id, or empty when not given. Throws UsageError.
std::string speechChoice(const std::optional<std::string>& given);

// Says the request through `speech` as the monitor's announcer would and returns once it has
// ended: 0 when it was heard as far as can be known, else 1 with a one-line reason on `err`.
// A fallback taking over is told on `err` as well. `queue` is the one `speech` was made with.
// Stopped, it returns interruptedStatus once the utterance is cut off.
int sayThrough(platform::SpeechSetup& speech, ManualQueue& queue, const SayRequest& request,
               std::ostream& err);

} // namespace umbrascope::cli
