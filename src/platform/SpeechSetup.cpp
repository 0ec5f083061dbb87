#include "platform/SpeechSetup.hpp"

#include <chrono>
#include <ostream>

#include "audio/SilentOutput.hpp"
#include "audio/SilentSynthesizer.hpp"

#ifdef HAVE_UMBRASCOPE_SDL
#include "audio/sdl/SdlAudioOutput.hpp"
#endif
#ifdef HAVE_UMBRASCOPE_ESPEAK
#include "audio/espeak/EspeakSynthesizer.hpp"
#endif
#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#endif

namespace umbrascope::platform {

std::unique_ptr<AudioEngine> makeAudioEngine() {
#ifdef HAVE_UMBRASCOPE_SDL
    return std::make_unique<AudioEngine>(std::make_unique<SdlAudioOutput>(),
                                         std::make_unique<SilentOutput>());
#else
    return std::make_unique<AudioEngine>(std::make_unique<SilentOutput>());
#endif
}

namespace {

std::unique_ptr<SpeechSynthesizer> trySpeechd() {
#ifdef HAVE_UMBRASCOPE_SPEECHD
    auto synthesizer = std::make_unique<SpeechDispatcherSynthesizer>();
    if (synthesizer->waitUntilConnected(std::chrono::seconds(5))) return synthesizer;
#endif
    return nullptr;
}

std::unique_ptr<SpeechSynthesizer> tryEspeak([[maybe_unused]] AudioEngine& engine) {
#ifdef HAVE_UMBRASCOPE_ESPEAK
    return EspeakSynthesizer::create(engine);
#else
    return nullptr;
#endif
}

} // namespace

bool isSpeechBackendName(std::string_view choice) {
    return choice.empty() || choice == "speechd" || choice == "espeak" || choice == "none";
}

std::optional<SpeechSetup> makeSpeech(std::string_view choice, std::ostream& err) {
    if (!isSpeechBackendName(choice)) {
        err << "unknown speech backend '" << choice << "': expected speechd, espeak or none\n";
        return std::nullopt;
    }
    SpeechSetup setup;
    setup.engine = makeAudioEngine();
    if (choice.empty() || choice == "speechd") {
        setup.synthesizer = trySpeechd();
        setup.backend = "speechd";
        if (!setup.synthesizer && choice == "speechd") {
            err << "speech-dispatcher is not available (not built in, or the daemon did not "
                   "start)\n";
            return std::nullopt;
        }
    }
    if (!setup.synthesizer && (choice.empty() || choice == "espeak")) {
        setup.synthesizer = tryEspeak(*setup.engine);
        setup.backend = "espeak";
        if (!setup.synthesizer && choice == "espeak") {
            err << "espeak-ng is not available (not built in, or its data is missing)\n";
            return std::nullopt;
        }
    }
    if (!setup.synthesizer && (choice.empty() || choice == "none")) {
        setup.synthesizer = std::make_unique<SilentSynthesizer>();
        setup.backend = "none";
    }
    return setup;
}

std::vector<Voice> installedVoices(SpeechSetup& setup) {
#ifdef HAVE_UMBRASCOPE_SPEECHD
    if (auto* speechd = dynamic_cast<SpeechDispatcherSynthesizer*>(setup.synthesizer.get()))
        speechd->loadVoices(std::chrono::seconds(30));
#endif
    return setup.synthesizer->voices();
}

} // namespace umbrascope::platform
