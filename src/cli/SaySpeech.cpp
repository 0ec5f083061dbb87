#include "cli/SaySpeech.hpp"

#include <chrono>
#include <ostream>
#include <thread>

#include "audio/SpeechAnnouncer.hpp"
#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/TerminalText.hpp"

namespace umbrascope::cli {

std::string speechChoice(const std::optional<std::string>& given) {
    if (!given) return {};
    if (!platform::parseSpeechBackend(*given))
        throw UsageError{"--speech expects " + platform::speechBackendChoices() + ", found " +
                         quotedToken(*given)};
    return *given;
}

int sayThrough(platform::SpeechSetup& speech, ManualQueue& queue, const SayRequest& request,
               std::ostream& err) {
    const auto fallback =
        speech.onFallback([&err](const std::string& notice) { err << notice << '\n'; });
    SpeechAnnouncer announcer(std::move(speech.synthesizer), queue);
    std::optional<UtteranceEvent::Kind> ending;
    const auto ended = announcer.utteranceEvents().subscribe([&ending](const UtteranceEvent& e) {
        if (e.kind != UtteranceEvent::Kind::handedOver) ending = e.kind;
    });
    if (request.speechLog) {
        request.speechLog->setUnheardCheck(platform::unheardCheck(speech));
        request.speechLog->attach(announcer);
    }
    if (request.rate) announcer.setRate(*request.rate);
    if (request.volume) announcer.setVolume(*request.volume);
    constexpr std::int32_t source = 0;
    if (request.voice) announcer.setVoiceForSource(source, *request.voice);
    announcer.speakNow(request.text, source);
    // Every utterance ends with one report, failures included, so this loop ends too.
    while (announcer.busy()) {
        if (request.stop.stop_requested()) {
            announcer.stop();
            queue.drain();
            return interruptedStatus;
        }
        queue.drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ending != UtteranceEvent::Kind::spoken) {
        const auto why = announcer.synthesizer().failureReason();
        err << "umbrascope-cli say: nothing was spoken: "
            << (ending != UtteranceEvent::Kind::failed ? "the speech backend cut it off"
                : why.empty() ? "the speech backend did not finish it (has it an audio output?)"
                              : why)
            << '\n';
        return 1;
    }
    if (const auto why = platform::whyNotHeard(speech); !why.empty() && !request.silenceAsked) {
        err << "umbrascope-cli say: nothing was heard: " << why << '\n';
        return 1;
    }
    return 0;
}

} // namespace umbrascope::cli
