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
    return std::make_unique<AudioEngine>(nullptr, std::make_unique<SilentOutput>());
#endif
}

SpeechSetup makeSilentSpeech() {
    return {makeAudioEngine(), std::make_unique<SilentSynthesizer>(), "none", nullptr};
}

namespace {

struct Attempt {
    std::unique_ptr<SpeechSynthesizer> synthesizer;
    std::string whyNot;
};

Attempt trySpeechd() {
#ifdef HAVE_UMBRASCOPE_SPEECHD
    auto synthesizer = std::make_unique<SpeechDispatcherSynthesizer>();
    if (synthesizer->waitUntilConnected(std::chrono::seconds(5)))
        return {std::move(synthesizer), {}};
    const auto error = synthesizer->connectionError();
    if (error.empty()) return {nullptr, "speech-dispatcher did not answer within 5 s"};
    return {nullptr, "speech-dispatcher is not running (umbrascope does not start it)"};
#else
    return {nullptr, "speech-dispatcher is not built in"};
#endif
}

Attempt tryEspeak([[maybe_unused]] AudioEngine& engine) {
#ifdef HAVE_UMBRASCOPE_ESPEAK
    if (auto synthesizer = EspeakSynthesizer::create(engine)) return {std::move(synthesizer), {}};
    return {nullptr, "espeak-ng could not start (is espeak-ng-data installed?)"};
#else
    return {nullptr, "espeak-ng is not built in"};
#endif
}

// espeak-ng plays through our own engine: whether it is heard is known once the engine starts.
std::string audibility(AudioEngine& engine) {
    engine.start();
    const auto problem = engine.deviceProblem();
    return problem.empty() ? "" : ", but nothing will be heard: " + problem;
}

} // namespace

bool isSpeechBackendName(std::string_view choice) {
    return choice.empty() || choice == "speechd" || choice == "espeak" || choice == "none";
}

std::optional<SpeechSetup> makeSpeech(std::string_view choice, MainQueue& mainQueue,
                                      std::ostream& err) {
    if (!isSpeechBackendName(choice)) {
        err << "unknown speech backend '" << choice << "': expected speechd, espeak or none\n";
        return std::nullopt;
    }
    SpeechSetup setup;
    setup.engine = makeAudioEngine();
    if (choice == "none") {
        setup.synthesizer = std::make_unique<SilentSynthesizer>();
        setup.backend = "none";
        err << "Speech: silent, as asked\n";
        return setup;
    }
    if (choice == "espeak") {
        auto espeak = tryEspeak(*setup.engine);
        if (!espeak.synthesizer) {
            err << espeak.whyNot << '\n';
            return std::nullopt;
        }
        setup.synthesizer = std::move(espeak.synthesizer);
        setup.backend = "espeak";
        err << "Speech: built-in espeak-ng" << audibility(*setup.engine) << '\n';
        return setup;
    }

    auto speechd = trySpeechd();
    if (speechd.synthesizer && choice == "speechd") {
        setup.synthesizer = std::move(speechd.synthesizer);
        setup.backend = "speechd";
        err << "Speech: speech-dispatcher\n";
        return setup;
    }
    if (!speechd.synthesizer && choice == "speechd") {
        err << speechd.whyNot << '\n';
        return std::nullopt;
    }
    if (speechd.synthesizer) {
        // Picked by default: when the daemon cannot speak, the built-in synthesizer takes over.
        AudioEngine& engine = *setup.engine;
        auto fallback = std::make_unique<FallbackSynthesizer>(
            std::move(speechd.synthesizer),
            [&engine](std::string& notice) -> std::unique_ptr<SpeechSynthesizer> {
                notice = "Speech: speech-dispatcher did not finish speaking (has it an audio "
                         "output?); ";
                if (auto espeak = tryEspeak(engine); espeak.synthesizer) {
                    notice += "the built-in espeak-ng speaks from now on" + audibility(engine);
                    return std::move(espeak.synthesizer);
                } else {
                    notice += "silent from now on (" + espeak.whyNot + ")";
                    return std::make_unique<SilentSynthesizer>();
                }
            },
            mainQueue);
        setup.fallback = fallback.get();
        setup.synthesizer = std::move(fallback);
        setup.backend = "speechd";
        err << "Speech: speech-dispatcher\n";
        return setup;
    }
    if (auto espeak = tryEspeak(*setup.engine); espeak.synthesizer) {
        setup.synthesizer = std::move(espeak.synthesizer);
        setup.backend = "espeak";
        err << "Speech: built-in espeak-ng (" << speechd.whyNot << ')' << audibility(*setup.engine)
            << '\n';
        return setup;
    } else {
        setup.synthesizer = std::make_unique<SilentSynthesizer>();
        setup.backend = "none";
        err << "Speech: silent (" << speechd.whyNot << "; " << espeak.whyNot << ")\n";
        return setup;
    }
}

std::vector<Voice> installedVoices(SpeechSetup& setup) {
    SpeechSynthesizer* synthesizer =
        setup.fallback ? &setup.fallback->active() : setup.synthesizer.get();
#ifdef HAVE_UMBRASCOPE_SPEECHD
    if (auto* speechd = dynamic_cast<SpeechDispatcherSynthesizer*>(synthesizer))
        speechd->loadVoices(std::chrono::seconds(30));
#endif
    return synthesizer->voices();
}

std::string whyNotHeard(const SpeechSetup& setup) {
    std::string speaking = setup.backend;
    if (setup.fallback && setup.fallback->fellBack())
        speaking =
            dynamic_cast<const SilentSynthesizer*>(&setup.fallback->active()) ? "none" : "espeak";
    if (speaking == "none") return "speech is silent";
    if (speaking == "espeak") return setup.engine->deviceProblem();
    return {};
}

} // namespace umbrascope::platform
