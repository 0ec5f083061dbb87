#pragma once

#include <memory>

#include "midi/MidiService.hpp"

namespace umbrascope::platform {

// The system's MIDI service (the ALSA sequencer), or none where it was not built.
std::unique_ptr<MidiService> makeSystemMidiService();

} // namespace umbrascope::platform
