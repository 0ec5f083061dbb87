#include "platform/SystemMidi.hpp"

#ifdef HAVE_UMBRASCOPE_ALSA
#include "midi/alsa/AlsaMidiService.hpp"
#endif

namespace umbrascope::platform {

std::unique_ptr<MidiService> makeSystemMidiService() {
#ifdef HAVE_UMBRASCOPE_ALSA
    return std::make_unique<alsa::AlsaMidiService>();
#else
    return nullptr;
#endif
}

} // namespace umbrascope::platform
