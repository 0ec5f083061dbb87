#include "audio/VoiceSelection.hpp"

#include <algorithm>

namespace umbrascope {

namespace {

bool isEnglish(const std::string& language) {
    return language.size() >= 2 && (language[0] == 'e' || language[0] == 'E') &&
           (language[1] == 'n' || language[1] == 'N');
}

} // namespace

std::vector<Voice> allVoicesByName(std::vector<Voice> voices) {
    std::stable_sort(voices.begin(), voices.end(),
                     [](const Voice& a, const Voice& b) { return a.name < b.name; });
    return voices;
}

std::vector<Voice> pickerVoices(std::vector<Voice> voices) {
    std::erase_if(voices, [](const Voice& voice) {
        return !voice.variant.empty() || !isEnglish(voice.language);
    });
    return allVoicesByName(std::move(voices));
}

std::string voiceLabel(const Voice& voice) {
    return voice.name + " (" + voice.language + ")";
}

} // namespace umbrascope
