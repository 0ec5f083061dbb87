#pragma once

#include <vector>

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope {

// The daemon's voices, listed over a connection of its own that is closed again, so that the
// seconds a daemon with thousands of voices takes never hold up speech on the speaking
// connection. Blocks; empty when no daemon answers. Any thread.
std::vector<Voice> listSpeechDispatcherVoices();

} // namespace umbrascope
