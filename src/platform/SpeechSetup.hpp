#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "audio/FallbackSynthesizer.hpp"
#include "audio/SpeechSynthesizer.hpp"
#include "core/MainQueue.hpp"
#include "core/ObserverList.hpp"
#include "platform/SpeechBackends.hpp"

namespace umbrascope::platform {

// The audio engine and the synthesizer a front end speaks with. The engine is declared
// first so it outlives the synthesizer that plays into it.
struct SpeechSetup {
    std::unique_ptr<AudioEngine> engine;
    std::unique_ptr<SpeechSynthesizer> synthesizer;
    SpeechBackend backend = SpeechBackend::none; // the one picked at the start
    // Set when speech-dispatcher was picked by default: its first failed utterance hands speech
    // to the next backend that works for the rest of the run. Lives as long as `synthesizer`,
    // also once an announcer owns it.
    FallbackSynthesizer* fallback = nullptr;
    // The backend speaking now, moved on by the fallback (main thread); none means `backend`.
    std::shared_ptr<SpeechBackend> speaking;

    SpeechBackend speakingBackend() const { return speaking ? *speaking : backend; }

    // `notice` is called once, on the main thread, with one line saying what failed and what
    // speaks now; never when there is no fallback.
    [[nodiscard]] ObserverList<const std::string&>::Subscription
    onFallback(std::function<void(const std::string&)> notice) {
        if (!fallback) return {};
        return fallback->fallbackTaken().subscribe(std::move(notice));
    }
};

// The engine plays through SDL when it was built and a device opens, else silently in real time.
std::unique_ptr<AudioEngine> makeAudioEngine();

// An engine and a synthesizer that says nothing, for front ends that only click.
SpeechSetup makeSilentSpeech();

// `choice` is a backend's id, or empty for the first that works in the order of speechBackends.
// Says on `err`, in one line, which one speaks and why the ones before it do not. None, with the
// reason on `err`, when `choice` names no backend or one that is not available. Reports of the
// synthesizer reach the main thread through `mainQueue`, which must outlive it.
std::optional<SpeechSetup> makeSpeech(std::string_view choice, MainQueue& mainQueue,
                                      std::ostream& err);
std::optional<SpeechSetup> makeSpeech(std::string_view choice, MainQueue& mainQueue,
                                      std::ostream& err, const SpeechFactories& factories);

// The backend's voices, waiting (bounded) for a list that is fetched on demand.
std::vector<Voice> installedVoices(SpeechSetup& setup);

// Why speech played into the audio engine now is not heard (its device's problem), or empty; for
// a speech log. The setup's engine must outlive the function.
std::function<std::string()> unheardCheck(const SpeechSetup& setup);

// Why what the setup speaks through now is not heard ("speech is silent", or the audio engine's
// problem for espeak-ng); empty when it is heard, as far as can be known.
std::string whyNotHeard(const SpeechSetup& setup);

} // namespace umbrascope::platform
