#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "audio/AudioEngine.hpp"
#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope::platform {

enum class SpeechBackend : std::uint8_t { speechd, espeak, none };

// A backend's synthesizer, or why there is none.
struct SpeechAttempt {
    std::unique_ptr<SpeechSynthesizer> synthesizer;
    std::string whyNot;
};

// How each backend is made; tests put fakes in their place. A backend that renders its own audio
// plays into `engine`, which outlives it.
struct SpeechFactories {
    using Factory = std::function<SpeechAttempt(AudioEngine& engine)>;
    std::function<std::unique_ptr<AudioEngine>()> engine;
    Factory speechd;
    Factory espeak;
    Factory none;
};

struct SpeechBackendInfo {
    SpeechBackend backend;
    std::string_view id;              // what --speech takes
    std::string_view speaks;          // what "Speech: ..." says while it speaks
    std::string_view speaksFromNowOn; // what a fallback's notice says once it took over
    SpeechFactories::Factory SpeechFactories::*make;
    bool playsIntoEngine; // heard only when the audio engine has a device
    bool mayFailLater;    // a daemon that can lose its audio once picked: fallback wired
};

// In the order a default choice tries them; the last one always works.
inline constexpr std::array<SpeechBackendInfo, 3> speechBackends{{
    {SpeechBackend::speechd, "speechd", "speech-dispatcher", "speech-dispatcher speaks from now on",
     &SpeechFactories::speechd, false, true},
    {SpeechBackend::espeak, "espeak", "built-in espeak-ng",
     "the built-in espeak-ng speaks from now on", &SpeechFactories::espeak, true, false},
    {SpeechBackend::none, "none", "silent", "silent from now on", &SpeechFactories::none, false,
     false},
}};

const SpeechBackendInfo& speechBackendInfo(SpeechBackend backend);
// None for a text that names no backend.
std::optional<SpeechBackend> parseSpeechBackend(std::string_view id);
// "speechd, espeak or none", or with another separator "speechd|espeak|none".
std::string speechBackendChoices(std::string_view separator = ", ",
                                 std::string_view lastSeparator = " or ");

// The real backends, where they were built.
SpeechFactories systemSpeechFactories();

} // namespace umbrascope::platform
