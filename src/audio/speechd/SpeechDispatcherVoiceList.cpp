#include "audio/speechd/SpeechDispatcherVoiceList.hpp"
#include "audio/speechd/SpeechdVoices.hpp"

#include <libspeechd.h>

#include <cstdlib>
#include <string>

namespace umbrascope {

std::vector<Voice> voicesOf(SPDConnection* connection) {
    std::vector<Voice> found;
    if (SPDVoice** list = spd_list_synthesis_voices(connection)) {
        for (SPDVoice** voice = list; *voice; ++voice) {
            if (!(*voice)->name) continue;
            const std::string variant = (*voice)->variant ? (*voice)->variant : "";
            found.push_back({(*voice)->name, (*voice)->name,
                             (*voice)->language ? (*voice)->language : "",
                             variant == "none" ? "" : variant});
        }
        free_spd_voices(list);
    }
    return found;
}

std::vector<Voice> listSpeechDispatcherVoices() {
    char* failure = nullptr;
    constexpr int autospawn = 0;
    // Single mode: no event thread and no callbacks, which belong to the speaking connection.
    SPDConnection* connection =
        spd_open2("umbrascope", "voices", nullptr, SPD_MODE_SINGLE, nullptr, autospawn, &failure);
    std::free(failure);
    if (!connection) return {};
    std::vector<Voice> found = voicesOf(connection);
    spd_close(connection);
    return found;
}

} // namespace umbrascope
