#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "core/MainQueue.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

struct SayRequest {
    std::string text;
    std::optional<std::string> voice;
    std::optional<float> rate;
    std::optional<float> volume;
    bool silenceAsked = false; // silence chosen by name is what was wanted
};

// Says the request through `speech` as the monitor's announcer would and returns once it has
// ended: 0 when it was heard as far as can be known, else 1 with a one-line reason on `err`.
// A fallback taking over is told on `err` as well. `queue` is the one `speech` was made with.
int sayThrough(platform::SpeechSetup& speech, ManualQueue& queue, const SayRequest& request,
               std::ostream& err);

} // namespace umbrascope::cli
