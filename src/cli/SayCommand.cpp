#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/SaySpeech.hpp"
#include "cli/StopOnSignals.hpp"
#include "cli/TerminalText.hpp"
#include "core/MainQueue.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

namespace {

const std::string usage =
    "Usage: umbrascope-cli say TEXT [--voice ID] [--rate 0..1] [--volume 0..1]\n"
    "                           [--speech " +
    platform::speechBackendChoices("|", "|") +
    "] [--speech-log FILE]\n"
    "Speaks TEXT through the announcer and returns when it has been said; exits with 1\n"
    "when nothing could be heard. --speech-log writes the utterance's line as replay does.\n";

struct SayOptions {
    std::string text;
    std::optional<std::string> voice;
    std::optional<float> rate;
    std::optional<float> volume;
    std::string backend;
    std::optional<std::string> speechLog;
};

std::optional<float> unitValue(const std::optional<std::string>& given, const std::string& option) {
    if (!given) return std::nullopt;
    float value = 0.0f;
    const char* end = given->data() + given->size();
    const auto [stop, error] = std::from_chars(given->data(), end, value);
    if (error != std::errc{} || stop != end || !(value >= 0.0f) || value > 1.0f)
        throw UsageError{option + " expects a number from 0 to 1, found " + quotedToken(*given)};
    return value;
}

std::optional<SayOptions> parseSayOptions(Arguments args) {
    CommandLine line("say");
    line.arguments()
        .option("--voice")
        .option("--rate")
        .option("--volume")
        .option("--speech")
        .option("--speech-log");
    if (!line.parse(args)) return std::nullopt;
    SayOptions options;
    const auto& texts = line.plainArguments();
    if (texts.empty()) throw UsageError{"expected a text to say" + line.seeHelp()};
    if (texts.size() > 1)
        throw UsageError{"unexpected argument " + quotedToken(texts[1]) + line.seeHelp()};
    options.text = texts.front();
    options.voice = line.value("--voice");
    options.rate = unitValue(line.value("--rate"), "--rate");
    options.volume = unitValue(line.value("--volume"), "--volume");
    options.backend = speechChoice(line.value("--speech"));
    options.speechLog = line.value("--speech-log");
    if (options.speechLog && options.speechLog->empty())
        throw UsageError{"--speech-log expects a file name"};
    return options;
}

int say(const SayOptions& options, std::stop_token stop, std::ostream& err) {
    // Opened first, so a log that cannot be written stops the command before it speaks.
    std::unique_ptr<SpeechLogFile> speechLog;
    try {
        if (options.speechLog) speechLog = std::make_unique<SpeechLogFile>(*options.speechLog);
    } catch (const SpeechLogFileError& error) {
        printCommandError("say", terminalSafe(error.what()), err);
        return 1;
    }
    ManualQueue queue;
    auto speech = platform::makeSpeech(options.backend, queue, err);
    if (!speech) return 1;
    if (options.voice &&
        !std::ranges::any_of(platform::installedVoices(*speech),
                             [&](const Voice& v) { return v.identifier == *options.voice; }))
        throw UsageError{"no voice " + quotedToken(*options.voice) + " in " +
                         std::string(platform::speechBackendInfo(speech->backend).id) +
                         " (see umbrascope-cli voices)"};

    const int status =
        sayThrough(*speech, queue,
                   {options.text, options.voice, options.rate, options.volume,
                    platform::parseSpeechBackend(options.backend) == platform::SpeechBackend::none,
                    speechLog.get(), std::move(stop)},
                   err);
    if (speechLog)
        if (const auto problem = speechLog->close()) {
            printCommandError("say", terminalSafe(*problem), err);
            return 1;
        }
    return status;
}

} // namespace

int runSay(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("say", err, [&] {
        const auto options = parseSayOptions(args);
        if (!options) {
            out << usage;
            return 0;
        }
        StopOnSignals signals;
        const int status = say(*options, signals.token(), err);
        signals.endIfSignalled();
        return status;
    });
}

} // namespace umbrascope::cli
