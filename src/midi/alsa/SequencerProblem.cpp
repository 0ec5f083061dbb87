#include "midi/alsa/SequencerProblem.hpp"

#include <array>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>

namespace umbrascope::alsa {

namespace {

struct Remedy {
    int errorNumber;
    std::string_view fix;
};

// The causes a user can act on; others are named without a fix.
constexpr std::array remedies{
    Remedy{ENOENT, "is the snd-seq module loaded?"},
    Remedy{ENODEV, "is the snd-seq module loaded?"},
    Remedy{ENXIO, "is the snd-seq module loaded?"},
    Remedy{EACCES, "is your user in the audio group?"},
    Remedy{EPERM, "is your user in the audio group?"},
};

} // namespace

std::string sequencerOpenProblem(int errorNumber) {
    const int code = std::abs(errorNumber);
    std::string line =
        "the ALSA sequencer could not be opened: " + std::generic_category().message(code);
    for (const Remedy& remedy : remedies)
        if (remedy.errorNumber == code) return line + "; " + std::string(remedy.fix);
    return line;
}

} // namespace umbrascope::alsa
