#pragma once

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope::platform {

// The audio engine and the synthesizer a front end speaks with. The engine is declared
// first so it outlives the synthesizer that plays into it.
struct SpeechSetup {
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<SpeechSynthesizer> synthesizer;
    std::string backend; // "speechd", "espeak" or "none"
};

// The engine plays through SDL when it was built and a device opens, else silently in real time.
std::unique_ptr<AudioEngine> makeAudioEngine();

// True for "speechd", "espeak", "none" and the empty default.
bool isSpeechBackendName(std::string_view choice);

// `choice` is "speechd", "espeak", "none" or empty (speech-dispatcher, then espeak-ng, then
// none). None, with a message on `err`, when the chosen backend is not available.
std::optional<SpeechSetup> makeSpeech(std::string_view choice, std::ostream& err);

// The backend's voices, waiting (bounded) for a list that is fetched on demand.
std::vector<Voice> installedVoices(SpeechSetup& setup);

} // namespace umbrascope::platform
