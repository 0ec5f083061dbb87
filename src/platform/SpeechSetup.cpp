#include "platform/SpeechSetup.hpp"

#include <chrono>
#include <ostream>

#include "audio/SilentSynthesizer.hpp"

#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#endif

namespace umbrascope::platform {

std::unique_ptr<AudioEngine> makeAudioEngine() {
    return systemSpeechFactories().engine();
}

SpeechSetup makeSilentSpeech() {
    return {makeAudioEngine(), std::make_unique<SilentSynthesizer>(), SpeechBackend::none, nullptr,
            nullptr};
}

namespace {

// A backend that plays into our own engine is heard once the engine starts on a device.
std::string audibility(const SpeechBackendInfo& info, AudioEngine& engine) {
    if (!info.playsIntoEngine) return {};
    engine.start();
    const auto problem = engine.deviceProblem();
    return problem.empty() ? "" : ", but nothing will be heard: " + problem;
}

struct Found {
    const SpeechBackendInfo* info = nullptr;
    std::unique_ptr<SpeechSynthesizer> synthesizer;
    std::string whyNotBefore; // why the backends tried before it do not speak, joined by "; "
};

// The first backend from `first` on that makes a synthesizer. The last one always does.
Found firstWorking(std::size_t first, const SpeechFactories& factories, AudioEngine& engine) {
    Found found;
    for (std::size_t i = first; i < speechBackends.size(); ++i) {
        const auto& info = speechBackends[i];
        auto attempt = (factories.*info.make)(engine);
        if (attempt.synthesizer) {
            found.info = &info;
            found.synthesizer = std::move(attempt.synthesizer);
            return found;
        }
        if (!found.whyNotBefore.empty()) found.whyNotBefore += "; ";
        found.whyNotBefore += attempt.whyNot;
    }
    return found;
}

} // namespace

std::optional<SpeechSetup> makeSpeech(std::string_view choice, MainQueue& mainQueue,
                                      std::ostream& err) {
    return makeSpeech(choice, mainQueue, err, systemSpeechFactories());
}

std::optional<SpeechSetup> makeSpeech(std::string_view choice, MainQueue& mainQueue,
                                      std::ostream& err, const SpeechFactories& factories) {
    const auto named = parseSpeechBackend(choice);
    if (!choice.empty() && !named) {
        err << "unknown speech backend '" << choice << "': expected " << speechBackendChoices()
            << '\n';
        return std::nullopt;
    }
    SpeechSetup setup;
    setup.engine = factories.engine();
    setup.speaking = std::make_shared<SpeechBackend>();

    if (named) {
        const auto& info = speechBackendInfo(*named);
        auto attempt = (factories.*info.make)(*setup.engine);
        if (!attempt.synthesizer) {
            err << attempt.whyNot << '\n';
            return std::nullopt;
        }
        setup.synthesizer = std::move(attempt.synthesizer);
        setup.backend = *setup.speaking = info.backend;
        err << "Speech: " << info.speaks
            << (info.backend == SpeechBackend::none ? ", as asked" : "")
            << audibility(info, *setup.engine) << '\n';
        return setup;
    }

    auto found = firstWorking(0, factories, *setup.engine);
    setup.backend = *setup.speaking = found.info->backend;
    err << "Speech: " << found.info->speaks
        << (found.whyNotBefore.empty() ? "" : " (" + found.whyNotBefore + ")")
        << audibility(*found.info, *setup.engine) << '\n';
    const auto next = static_cast<std::size_t>(found.info - speechBackends.data()) + 1;
    if (!found.info->mayFailLater || next == speechBackends.size()) {
        setup.synthesizer = std::move(found.synthesizer);
        return setup;
    }
    // Picked by default: when it cannot speak, the next backend that works takes over.
    auto fallback = std::make_unique<FallbackSynthesizer>(
        std::move(found.synthesizer),
        [&engine = *setup.engine, factories, speaking = setup.speaking, next,
         failed = found.info](const std::string& why, std::string& notice) {
            auto replacement = firstWorking(next, factories, engine);
            *speaking = replacement.info->backend;
            notice =
                "Speech: " + (why.empty() ? std::string(failed->speaks) + " failed" : why) + "; " +
                std::string(replacement.info->speaksFromNowOn) +
                (replacement.whyNotBefore.empty() ? "" : " (" + replacement.whyNotBefore + ")") +
                audibility(*replacement.info, engine);
            return std::move(replacement.synthesizer);
        },
        mainQueue);
    setup.fallback = fallback.get();
    setup.synthesizer = std::move(fallback);
    return setup;
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

std::function<std::string()> unheardCheck(const SpeechSetup& setup) {
    return [engine = setup.engine.get(), speaking = setup.speaking, backend = setup.backend] {
        const auto& info = speechBackendInfo(speaking ? *speaking : backend);
        return info.playsIntoEngine ? engine->deviceProblem() : std::string();
    };
}

std::string whyNotHeard(const SpeechSetup& setup) {
    const auto& info = speechBackendInfo(setup.speakingBackend());
    if (info.backend == SpeechBackend::none) return "speech is silent";
    if (info.playsIntoEngine) return setup.engine->deviceProblem();
    return {};
}

} // namespace umbrascope::platform
