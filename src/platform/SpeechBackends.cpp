#include "platform/SpeechBackends.hpp"

#include <chrono>

#include "audio/SilentOutput.hpp"
#include "audio/SilentSynthesizer.hpp"

#ifdef HAVE_UMBRASCOPE_SDL
#include "audio/sdl/SDLAudioOutput.hpp"
#endif
#ifdef HAVE_UMBRASCOPE_ESPEAK
#include "audio/espeak/EspeakSynthesizer.hpp"
#endif
#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#endif

namespace umbrascope::platform {

static_assert(speechBackends.back().backend == SpeechBackend::none,
              "a default choice ends in silence, which always works");

const SpeechBackendInfo& speechBackendInfo(SpeechBackend backend) {
    for (const auto& info : speechBackends)
        if (info.backend == backend) return info;
    return speechBackends.back();
}

std::optional<SpeechBackend> parseSpeechBackend(std::string_view id) {
    for (const auto& info : speechBackends)
        if (info.id == id) return info.backend;
    return std::nullopt;
}

std::string speechBackendChoices(std::string_view separator, std::string_view lastSeparator) {
    std::string text;
    for (std::size_t i = 0; i < speechBackends.size(); ++i) {
        if (i > 0) text += i + 1 == speechBackends.size() ? lastSeparator : separator;
        text += speechBackends[i].id;
    }
    return text;
}

namespace {

SpeechAttempt makeSpeechd(AudioEngine&) {
#ifdef HAVE_UMBRASCOPE_SPEECHD
    auto synthesizer = std::make_unique<SpeechDispatcherSynthesizer>();
    if (synthesizer->waitUntilConnected(std::chrono::seconds(5)))
        return {std::move(synthesizer), {}};
    if (synthesizer->connectionError().empty())
        return {nullptr, "speech-dispatcher did not answer within 5 s"};
    return {nullptr, "speech-dispatcher is not running (umbrascope does not start it)"};
#else
    return {nullptr, "speech-dispatcher is not built in"};
#endif
}

SpeechAttempt makeEspeak([[maybe_unused]] AudioEngine& engine) {
#ifdef HAVE_UMBRASCOPE_ESPEAK
    if (auto synthesizer = EspeakSynthesizer::create(engine)) return {std::move(synthesizer), {}};
    return {nullptr, "espeak-ng could not start (is espeak-ng-data installed?)"};
#else
    return {nullptr, "espeak-ng is not built in"};
#endif
}

std::unique_ptr<AudioEngine> makeSystemEngine() {
#ifdef HAVE_UMBRASCOPE_SDL
    return std::make_unique<AudioEngine>(std::make_unique<SDLAudioOutput>(),
                                         std::make_unique<SilentOutput>());
#else
    return std::make_unique<AudioEngine>(nullptr, std::make_unique<SilentOutput>());
#endif
}

} // namespace

SpeechFactories systemSpeechFactories() {
    return {makeSystemEngine, makeSpeechd, makeEspeak, [](AudioEngine&) {
                return SpeechAttempt{std::make_unique<SilentSynthesizer>(), {}};
            }};
}

} // namespace umbrascope::platform
