#include <algorithm>
#include <charconv>
#include <chrono>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include "audio/SpeechAnnouncer.hpp"
#include "cli/Commands.hpp"
#include "core/MainQueue.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli say TEXT [--voice ID] [--rate 0..1] [--volume 0..1]\n"
    "                           [--speech speechd|espeak|none]\n"
    "Speaks TEXT through the announcer and returns when it has been said.\n";

std::optional<float> unitValue(std::string_view text) {
    float value = 0.0f;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || !(value >= 0.0f) ||
        value > 1.0f)
        return std::nullopt;
    return value;
}

} // namespace

int runSay(Arguments args, std::ostream& out, std::ostream& err) {
    std::optional<std::string> text;
    std::optional<std::string> voice;
    std::optional<float> rate;
    std::optional<float> volume;
    std::string_view backend;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const auto arg = args[i];
        if (arg == "--help" || arg == "-h") {
            out << usage;
            return 0;
        }
        const bool takesValue =
            arg == "--voice" || arg == "--rate" || arg == "--volume" || arg == "--speech";
        if (takesValue && i + 1 >= args.size()) {
            err << "umbrascope-cli say: " << arg << " needs a value\n" << usage;
            return 2;
        }
        if (arg == "--voice") {
            voice = std::string(args[++i]);
        } else if (arg == "--rate" || arg == "--volume") {
            const auto value = unitValue(args[++i]);
            if (!value) {
                err << "umbrascope-cli say: " << arg << " expects a number from 0 to 1, got '"
                    << args[i] << "'\n";
                return 2;
            }
            (arg == "--rate" ? rate : volume) = value;
        } else if (arg == "--speech") {
            backend = args[++i];
        } else if (!text && !arg.starts_with("--")) {
            text = std::string(arg);
        } else {
            err << "umbrascope-cli say: unexpected argument '" << arg << "'\n" << usage;
            return 2;
        }
    }
    if (!text) {
        err << "umbrascope-cli say: nothing to say\n" << usage;
        return 2;
    }
    if (!platform::isSpeechBackendName(backend)) {
        err << "umbrascope-cli say: --speech expects speechd, espeak or none, got '" << backend
            << "'\n";
        return 2;
    }
    auto speech = platform::makeSpeech(backend, err);
    if (!speech) return 1;
    if (voice && !std::ranges::any_of(platform::installedVoices(*speech),
                                      [&](const Voice& v) { return v.identifier == *voice; })) {
        err << "umbrascope-cli say: no voice '" << *voice << "' in " << speech->backend
            << " (see umbrascope-cli voices)\n";
        return 2;
    }

    ManualQueue queue;
    SpeechAnnouncer announcer(std::move(speech->synthesizer), queue);
    if (rate) announcer.setRate(*rate);
    if (volume) announcer.setVolume(*volume);
    constexpr std::int32_t source = 0;
    if (voice) announcer.setVoiceForSource(source, *voice);
    announcer.speakNow(*text, source);
    // Every utterance ends with one report, so this loop ends too.
    while (announcer.busy()) {
        queue.drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

} // namespace umbrascope::cli
