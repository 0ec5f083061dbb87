#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/AtomicFile.hpp"
#include "app/CsvExport.hpp"
#include "cli/Commands.hpp"
#include "cli/ReplayFeedback.hpp"
#include "cli/TerminalText.hpp"
#include "core/MainQueue.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/replay/ReplayService.hpp"
#include "text/CsvText.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli replay FILE... [OPTIONS]\n"
    "\n"
    "Plays capture files through the receive pipeline, one after another and as fast as\n"
    "possible, then prints the buffer: one line per message with its sequence number, source,\n"
    "hex words, message class and description, separated by tabs; then 'buffer full' when old\n"
    "messages were dropped. Every file is a source.\n"
    "\n"
    "  --max-messages N      buffer size: 500 (default), 1000 or 5000\n"
    "  --hide-type NAME      drop a message class; NAME is one of utility, system,\n"
    "                        midi1ChannelVoice, data64, midi2ChannelVoice, data128, flexData,\n"
    "                        umpStream, unknown (repeatable)\n"
    "  --no-active-sensing   drop Active Sensing\n"
    "  --no-clock            drop Timing Clock\n"
    "  --only-ump            keep only native UMP sources\n"
    "  --pace PACE           fast (default) or recorded: wait each line's delay\n"
    "  --announce LEVEL      speak new messages as the monitor would: off (default), short,\n"
    "                        verbose\n"
    "  --ticks               click for every new message, panned per source\n"
    "  --speech BACKEND      speechd, espeak or none (default: speechd, then espeak)\n"
    "  --csv OUT.csv         write the buffer as the monitor's CSV export instead of printing\n"
    "                        it, replacing OUT.csv as a whole, and print 'Exported N Messages'\n"
    "  --help                show this help\n"
    "\n"
    "Capture file: one event packet per line, an optional delay +SECONDS then 1 to 64 words of\n"
    "8 hex digits; '#' starts a comment; an optional first line '@source NAME' names the source.\n"
    "A CSV export of the monitor reads back too.\n";

struct UsageError {
    std::string message;
};

struct ReplayOptions {
    std::vector<std::string> files;
    std::int64_t maxMessages = MIDIManager::defaultMaxMessages;
    MessageTypeSet hidden;
    bool noActiveSensing = false;
    bool noClock = false;
    bool onlyUMP = false;
    ReplayPace pace = ReplayPace::asFastAsPossible;
    TTSLevel announce = TTSLevel::off;
    bool ticks = false;
    std::string speech;
    std::optional<std::string> csvPath;
};

// Returns nothing when help was asked for.
std::optional<ReplayOptions> parseOptions(Arguments args) {
    ReplayOptions options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        if (optionsEnded || !arg.starts_with("-") || arg == "-") {
            options.files.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") return std::nullopt;

        // "--name value" or "--name=value"
        std::string_view name = arg;
        std::optional<std::string_view> inlineValue;
        if (const auto equals = arg.find('='); equals != std::string_view::npos) {
            name = arg.substr(0, equals);
            inlineValue = arg.substr(equals + 1);
        }
        const auto takeValue = [&]() -> std::string_view {
            if (inlineValue) return *inlineValue;
            if (i + 1 >= args.size())
                throw UsageError{"option " + quotedToken(name) + " expects a value"};
            return args[++i];
        };
        const auto noValue = [&] {
            if (inlineValue) throw UsageError{"option " + quotedToken(name) + " takes no value"};
        };

        if (name == "--max-messages") {
            const std::string_view value = takeValue();
            if (value == "500" || value == "1000" || value == "5000")
                options.maxMessages = std::stoll(std::string(value));
            else
                throw UsageError{"--max-messages expects 500, 1000 or 5000, found " +
                                 quotedToken(value)};
        } else if (name == "--hide-type") {
            const std::string_view value = takeValue();
            const auto type = umpMessageTypeFromCaseName(value);
            if (!type)
                throw UsageError{"--hide-type expects one of utility, system, midi1ChannelVoice, "
                                 "data64, midi2ChannelVoice, data128, flexData, umpStream, "
                                 "unknown, found " +
                                 quotedToken(value)};
            options.hidden.insert(*type);
        } else if (name == "--no-active-sensing") {
            noValue();
            options.noActiveSensing = true;
        } else if (name == "--no-clock") {
            noValue();
            options.noClock = true;
        } else if (name == "--csv") {
            const std::string_view value = takeValue();
            if (value.empty()) throw UsageError{"--csv expects a file name"};
            if (options.csvPath) throw UsageError{"--csv given more than once"};
            options.csvPath = std::string(value);
        } else if (name == "--only-ump") {
            noValue();
            options.onlyUMP = true;
        } else if (name == "--pace") {
            const std::string_view value = takeValue();
            if (value != "fast" && value != "recorded")
                throw UsageError{"--pace expects fast or recorded, found " + quotedToken(value)};
            options.pace = value == "fast" ? ReplayPace::asFastAsPossible : ReplayPace::recorded;
        } else if (name == "--announce") {
            const std::string_view value = takeValue();
            if (value == "off" || value == "short" || value == "verbose")
                options.announce = value == "off"     ? TTSLevel::off
                                   : value == "short" ? TTSLevel::short_
                                                      : TTSLevel::verbose;
            else
                throw UsageError{"--announce expects off, short or verbose, found " +
                                 quotedToken(value)};
        } else if (name == "--ticks") {
            noValue();
            options.ticks = true;
        } else if (name == "--speech") {
            const std::string_view value = takeValue();
            if (!platform::isSpeechBackendName(value) || value.empty())
                throw UsageError{"--speech expects speechd, espeak or none, found " +
                                 quotedToken(value)};
            options.speech = value;
        } else {
            throw UsageError{"unknown option " + quotedToken(arg) +
                             " (see umbrascope-cli replay --help)"};
        }
    }
    if (options.files.empty())
        throw UsageError{"expected at least one capture file (see umbrascope-cli replay --help)"};
    return options;
}

std::string bufferText(const MIDIManager& manager) {
    std::string text;
    for (const MIDIMessage& message : manager.messages()) {
        text += std::to_string(message.sequenceNumber);
        text += '\t';
        text += terminalSafe(message.sourceName());
        text += '\t';
        text += hexString(message);
        text += '\t';
        text += displayName(message.messageType);
        text += '\t';
        text += terminalSafe(message.description);
        text += '\n';
    }
    if (manager.isBufferFull()) text += "buffer full\n";
    return text;
}

} // namespace

int runReplay(Arguments args, std::ostream& out, std::ostream& err) {
    ReplayOptions options;
    std::vector<Capture> captures;
    try {
        auto parsed = parseOptions(args);
        if (!parsed) {
            out << usage;
            return 0;
        }
        options = std::move(*parsed);
        // Every file is read and checked before anything plays or prints.
        for (const auto& file : options.files)
            captures.push_back(loadCapture(file));
    } catch (const UsageError& error) {
        err << "umbrascope-cli replay: " << error.message << '\n';
        return 2;
    } catch (const CaptureError& error) {
        err << "umbrascope-cli replay: " << terminalSafe(error.what()) << '\n';
        return 2;
    }

    ManualQueue queue;
    ReplayService service;
    SystemSleeper sleeper;
    MIDIManager manager(service, queue);
    manager.setMaxMessages(options.maxMessages);
    manager.setHiddenMessageTypes(options.hidden);
    manager.setHideActiveSensing(options.noActiveSensing);
    manager.setHideMidiClock(options.noClock);
    manager.setOnlyUMPSources(options.onlyUMP);

    std::unique_ptr<ReplayFeedback> feedback;
    if (options.announce != TTSLevel::off || options.ticks) {
        feedback =
            ReplayFeedback::make(options.announce, options.ticks, options.speech, queue, err);
        if (!feedback) return 1;
    }

    std::vector<SourceRef> sources;
    for (auto& capture : captures)
        sources.push_back(service.addSource(std::move(capture)));
    queue.drain(); // one rescan for all of them: each source is enabled when first seen
    for (const SourceRef source : sources)
        service.play(source, options.pace, sleeper, {}, [&] {
            queue.drain();
            if (feedback) feedback->afterDelivery(manager);
        });
    queue.drain();
    if (feedback) feedback->finish(queue);

    if (options.csvPath) {
        const std::vector<MIDIMessage> messages(manager.messages().begin(),
                                                manager.messages().end());
        if (const auto error = writeFileAtomically(*options.csvPath, csvText(messages))) {
            err << "umbrascope-cli replay: " << terminalSafe(*error) << '\n';
            return 1;
        }
        out << exportResultText(true, messages.size()) << '\n';
    } else {
        out << bufferText(manager);
    }
    out.flush();
    return out ? 0 : 1;
}

} // namespace umbrascope::cli
