#pragma once

#include <string>

namespace umbrascope::alsa {

// The one line that tells a user why the sequencer did not open and what to do about it, for an
// errno value as snd_seq_open reports it (positive or negative): "the ALSA sequencer could not be
// opened: <cause>; <fix>?". Starts in lower case, to follow a program's name in an error line.
std::string sequencerOpenProblem(int errorNumber);

} // namespace umbrascope::alsa
