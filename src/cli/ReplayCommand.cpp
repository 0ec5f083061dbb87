#include "cli/ReplayCommand.hpp"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/AtomicFile.hpp"
#include "app/CsvExport.hpp"
#include "cli/CommandLine.hpp"
#include "cli/ReplayFeedback.hpp"
#include "cli/TerminalText.hpp"
#include "core/MainQueue.hpp"
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
    "                        it, replacing OUT.csv as a whole, and print 'Exported N Messages';\n"
    "                        OUT.csv must be a regular file (a link is followed) or not exist\n"
    "  --help                show this help\n"
    "\n"
    "Capture file: one event packet per line, an optional delay +SECONDS then 1 to 64 words of\n"
    "8 hex digits; '#' starts a comment; an optional first line '@source NAME' names the source.\n"
    "A CSV export of the monitor reads back too. A line holds at most 65536 bytes and a file at\n"
    "most 256 MiB; a source name longer than 256 bytes is cut, with a warning.\n";

// A value that must be one of a few words: "--pace expects fast or recorded, found 'slow'".
template <typename Value, std::size_t N>
Value oneOf(const std::string& option, const std::string& given,
            const std::pair<std::string_view, Value> (&choices)[N], std::string_view expected) {
    for (const auto& [name, value] : choices)
        if (given == name) return value;
    throw UsageError{option + " expects " + std::string(expected) + ", found " +
                     quotedToken(given)};
}

constexpr std::pair<std::string_view, std::int64_t> bufferSizes[] = {
    {"500", 500}, {"1000", 1000}, {"5000", 5000}};
constexpr std::pair<std::string_view, ReplayPace> paces[] = {{"fast", ReplayPace::asFastAsPossible},
                                                             {"recorded", ReplayPace::recorded}};
constexpr std::pair<std::string_view, TTSLevel> levels[] = {
    {"off", TTSLevel::off}, {"short", TTSLevel::short_}, {"verbose", TTSLevel::verbose}};

void printBuffer(const MIDIManager& manager, std::ostream& out) {
    for (const MIDIMessage& message : manager.messages())
        out << message.sequenceNumber << '\t' << terminalSafe(message.sourceName()) << '\t'
            << hexString(message) << '\t' << displayName(message.messageType) << '\t'
            << terminalSafe(message.description) << '\n';
    if (manager.isBufferFull()) out << "buffer full\n";
}

// The CSV file may not be one of the captures, which the export would overwrite.
std::optional<std::string> csvOverCapture(const ReplayOptions& options) {
    if (!options.csvPath) return std::nullopt;
    for (const auto& file : options.files) {
        std::error_code error;
        if (std::filesystem::equivalent(*options.csvPath, file, error))
            return "--csv names the capture file '" + terminalSafe(file) + "'; choose another file";
    }
    return std::nullopt;
}

} // namespace

std::optional<ReplayOptions> parseReplayOptions(Arguments args) {
    CommandLine line("replay");
    line.arguments()
        .option("--max-messages")
        .option("--hide-type")
        .flag("--no-active-sensing")
        .flag("--no-clock")
        .flag("--only-ump")
        .option("--pace")
        .option("--announce")
        .flag("--ticks")
        .option("--speech")
        .option("--csv");
    if (!line.parse(args)) return std::nullopt;

    ReplayOptions options;
    options.files = line.plainArguments();
    if (const auto size = line.value("--max-messages"))
        options.maxMessages = oneOf("--max-messages", *size, bufferSizes, "500, 1000 or 5000");
    for (const auto& name : line.values("--hide-type")) {
        const auto type = umpMessageTypeFromCaseName(name);
        if (!type)
            throw UsageError{"--hide-type expects one of utility, system, midi1ChannelVoice, "
                             "data64, midi2ChannelVoice, data128, flexData, umpStream, "
                             "unknown, found " +
                             quotedToken(name)};
        options.hidden.insert(*type);
    }
    options.noActiveSensing = line.has("--no-active-sensing");
    options.noClock = line.has("--no-clock");
    options.onlyUMP = line.has("--only-ump");
    if (const auto pace = line.value("--pace"))
        options.pace = oneOf("--pace", *pace, paces, "fast or recorded");
    if (const auto level = line.value("--announce"))
        options.announce = oneOf("--announce", *level, levels, "off, short or verbose");
    options.ticks = line.has("--ticks");
    if (const auto speech = line.value("--speech")) {
        if (speech->empty() || !platform::isSpeechBackendName(*speech))
            throw UsageError{"--speech expects speechd, espeak or none, found " +
                             quotedToken(*speech)};
        options.speech = *speech;
    }
    options.csvPath = line.value("--csv");
    if (options.csvPath && options.csvPath->empty()) throw UsageError{"--csv expects a file name"};
    if (options.files.empty())
        throw UsageError{"expected at least one capture file" + line.seeHelp()};
    return options;
}

int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& err) {
    const auto fail = [&err](const std::string& message) {
        printCommandError("replay", terminalSafe(message), err);
        return 1;
    };
    if (const auto clash = csvOverCapture(options)) {
        printCommandError("replay", *clash, err);
        return 2;
    }
    if (options.csvPath)
        if (const auto problem = exportTargetProblem(*options.csvPath)) return fail(*problem);

    // Every file is read whole and checked before anything plays or prints.
    std::vector<Capture> captures;
    try {
        for (const auto& file : options.files)
            captures.push_back(loadCapture(file));
    } catch (const CaptureError& error) {
        printCommandError("replay", terminalSafe(error.what()), err);
        return 2;
    }
    for (const auto& capture : captures)
        for (const auto& warning : capture.warnings)
            printCommandError("replay", "warning: " + terminalSafe(warning), err);

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
        if (const auto error = writeFileAtomically(*options.csvPath, csvText(messages)))
            return fail(*error);
        out << exportResultText(true, messages.size()) << '\n';
    } else {
        printBuffer(manager, out);
    }
    return 0;
}

int runReplay(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("replay", err, [&] {
        const auto options = parseReplayOptions(args);
        if (!options) {
            out << usage;
            return 0;
        }
        return runReplay(*options, out, err);
    });
}

} // namespace umbrascope::cli
