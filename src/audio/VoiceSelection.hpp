#pragma once

#include <string>
#include <vector>

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope {

// The voices a voice picker offers: English ones (a language code beginning with "en", in either
// case), one entry per voice and none for its variants, sorted by name (plain text comparison;
// equal names keep their order). A daemon can list thousands of variants; they are not voices a
// user picks per source.
std::vector<Voice> pickerVoices(std::vector<Voice> voices);

// Every voice, variants included, sorted by name the same way.
std::vector<Voice> allVoicesByName(std::vector<Voice> voices);

// "name (language)", as a picker shows a voice.
std::string voiceLabel(const Voice& voice);

} // namespace umbrascope
