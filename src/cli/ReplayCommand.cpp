#include "cli/ReplayCommand.hpp"

#include <algorithm>
#include <array>
#include <filesystem>
#include <limits>
#include <memory>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "app/AtomicFile.hpp"
#include "app/CSVExport.hpp"
#include "app/ContentView.hpp"
#include "app/SpeechLogFile.hpp"
#include "cli/CommandLine.hpp"
#include "cli/SaySpeech.hpp"
#include "cli/StopOnSignals.hpp"
#include "cli/TerminalText.hpp"
#include "platform/DataFiles.hpp"
#include "text/CSVText.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usageBeforeSwitches =
    "Usage: umbrascope-cli replay FILE... [OPTIONS]\n"
    "\n"
    "Plays capture files through the receive pipeline, one after another and as fast as\n"
    "possible, then prints the buffer: one line per message with its sequence number, source,\n"
    "hex words, message class and description, separated by tabs; then 'buffer full' when old\n"
    "messages were dropped. Every file is a source. The monitor's window follows the replay:\n"
    "speech, ticks and keys act as they do there.\n"
    "\n"
    "  --max-messages N      buffer size: 500 (default), 1000 or 5000\n"
    "  --hide-type NAME      drop a message class; NAME is one of utility, system,\n"
    "                        midi1ChannelVoice, data64, midi2ChannelVoice, data128, flexData,\n"
    "                        umpStream, unknown (repeatable)\n";
// The window's switches follow here, from its own table.
constexpr std::string_view usageBeforeSpeech =
    "  --pace PACE           fast (default) or recorded: wait each line's delay\n"
    "  --announce LEVEL      speak new messages as the monitor would: off (default), short,\n"
    "                        verbose\n"
    "  --keys SCRIPT         press the window's keys between packets: KEY@N, separated by\n"
    "                        blanks, presses KEY just before event packet N (packet lines\n"
    "                        counted from 0 over all files; keys past the last packet are\n"
    "                        pressed at the end), e.g. 'T@0 5@10'. KEY is one of\n"
    "                        12345678uUlLsScCtTkKiIrRdDeEpP[]-=+gGmM, Up or Down; E exports\n"
    "                        nothing here (see --csv)\n";
constexpr std::string_view usageAfterSpeech =
    "  --speech-log FILE     write one line per utterance: seconds since the start, outcome\n"
    "                        (spoken, dropped-busy, cut-off or failed), source id, voice, rate,\n"
    "                        volume and text; each line is written as its outcome is known, so\n"
    "                        an interrupted replay (Ctrl+C) keeps them all\n"
    "  --csv OUT.csv         write the buffer as the monitor's CSV export instead of printing\n"
    "                        it, replacing OUT.csv as a whole, and print 'Exported N Messages';\n"
    "                        OUT.csv must be a regular file (a link is followed) or not exist\n"
    "  --time                begin every printed line and CSV row with when the message\n"
    "                        arrived: seconds since the replay started, to the millisecond\n"
    "                        (12.345); the CSV gains a leading Time column, which reads back\n"
    "  --help                show this help\n"
    "\n"
    "Capture file: one event packet per line, an optional delay +SECONDS then 1 to 64 words of\n"
    "8 hex digits; '#' starts a comment; an optional first line '@source NAME' names the source.\n"
    "A CSV export of the monitor reads back too. A line holds at most 65536 bytes and a file at\n"
    "most 256 MiB; a source name longer than 256 bytes is cut, with a warning. A FILE named\n"
    "without a folder and not in the current folder is looked for among the captures that come\n"
    "with Umbrascope: 'umbrascope-cli replay demo.ump' plays the demo from anywhere.\n";

static_assert(usageBeforeSpeech.find(acceptedKeyCharacters) != std::string_view::npos,
              "the usage names every key of the window");

// Where an option's description starts in the usage.
constexpr std::size_t usageColumn = 24;
static_assert(std::ranges::all_of(settingSwitches,
                                  [](const SettingSwitchEntry& entry) {
                                      return 2 + entry.replayOption.size() < usageColumn;
                                  }),
              "every switch's flag leaves room for its description");

std::string switchUsage() {
    std::string text;
    for (const SettingSwitchEntry& entry : settingSwitches) {
        if (entry.replayOption.empty()) continue;
        text.append("  ").append(entry.replayOption);
        text.append(usageColumn - 2 - entry.replayOption.size(), ' ');
        text.append(entry.replayHelp).append("\n");
    }
    return text;
}

// A value that must be one of a few words: "--pace expects fast or recorded, found 'slow'".
template <typename Value, std::size_t N>
Value oneOf(const std::string& option, const std::string& given,
            const std::pair<std::string_view, Value> (&choices)[N], std::string_view expected) {
    for (const auto& [name, value] : choices)
        if (given == name) return value;
    throw UsageError{option + " expects " + std::string(expected) + ", found " +
                     quotedToken(given)};
}

// One of the buffer sizes the window offers, written as a plain number.
std::int64_t bufferSize(const std::string& given) {
    static_assert(MIDIManager::maxMessagesChoices == std::array<std::int64_t, 3>{500, 1000, 5000},
                  "the message below names the choices");
    for (const std::int64_t size : MIDIManager::maxMessagesChoices)
        if (given == std::to_string(size)) return size;
    throw UsageError{"--max-messages expects 500, 1000 or 5000, found " + quotedToken(given)};
}
constexpr std::pair<std::string_view, ReplayPace> paces[] = {{"fast", ReplayPace::asFastAsPossible},
                                                             {"recorded", ReplayPace::recorded}};
constexpr std::pair<std::string_view, TTSLevel> levels[] = {
    {"off", TTSLevel::off}, {"short", TTSLevel::short_}, {"verbose", TTSLevel::verbose}};

void printBuffer(const ContentView& view, bool withTime, std::ostream& out) {
    const MIDIManager& manager = view.midiManager();
    for (const MIDIMessage& message : manager.messages()) {
        if (withTime) out << view.arrivalTimes().sinceStartText(message) << '\t';
        out << message.sequenceNumber << '\t' << terminalSafe(message.sourceName()) << '\t'
            << hexString(message) << '\t' << displayName(message.messageType) << '\t'
            << terminalSafe(message.description) << '\n';
    }
    if (manager.isBufferFull()) out << "buffer full\n";
}

// The outputs may not be one of the captures, which they would overwrite, nor each other.
std::optional<std::string> outputOverInput(const ReplayOptions& options) {
    const std::pair<const char*, const std::optional<std::string>&> outputs[] = {
        {"--csv", options.csvPath}, {"--speech-log", options.speechLog}};
    for (const auto& [option, path] : outputs) {
        if (!path) continue;
        for (const auto& file : options.files) {
            std::error_code error;
            if (std::filesystem::equivalent(*path, file, error))
                return std::string(option) + " names the capture file '" + terminalSafe(file) +
                       "'; choose another file";
        }
    }
    if (!options.csvPath || !options.speechLog) return std::nullopt;
    std::error_code csvError, logError;
    const auto csv = std::filesystem::weakly_canonical(*options.csvPath, csvError);
    const auto log = std::filesystem::weakly_canonical(*options.speechLog, logError);
    if (!csvError && !logError && csv == log)
        return "--csv and --speech-log name the same file; choose two";
    return std::nullopt;
}

std::vector<ScriptedKey> keysOption(const std::string& script) {
    try {
        return parseKeyScript(script);
    } catch (const KeyScriptError& error) {
        // The entry at the column, or just before it, so the message names what was written.
        constexpr std::string_view blanks = " \t\r\n";
        std::size_t at = std::min(error.column() - 1, script.size());
        if (at > 0 && (at == script.size() || blanks.find(script[at]) != std::string_view::npos))
            --at;
        const std::size_t before = script.find_last_of(blanks, at);
        const std::size_t first = before == std::string::npos ? 0 : before + 1;
        const std::string entry = script.substr(first, script.find_first_of(blanks, first) - first);
        throw UsageError{"--keys: " + quotedToken(entry) + " (column " +
                         std::to_string(error.column()) + "): " + terminalSafe(error.detail())};
    }
}

// Tasks that would leave the main thread run at once: nothing in a replay needs more.
class ImmediateQueue final : public BackgroundQueue {
public:
    void post(std::function<void()> task) override { task(); }
};

// The monitor's window on the replay, heard through `speech`. Nothing asks for an export
// location, so the E key exports nothing.
class ReplayWindow {
public:
    ReplayWindow(platform::SpeechSetup speech, MIDIService& service, TerminalLoop& loop,
                 const Clock& clock, std::ostream& err)
        : speech_(std::move(speech)), view_(ContentViewServices{service,
                                                                std::move(speech_.synthesizer),
                                                                *speech_.engine,
                                                                loop,
                                                                loop.scheduler(),
                                                                background_,
                                                                clock,
                                                                {}}),
          fallbackNotice_(
              speech_.onFallback([&err](const std::string& notice) { err << notice << '\n'; })) {}
    // The players' buffers may still be queued in the mixer: it stops pulling before they go.
    ~ReplayWindow() { speech_.engine->stop(); }
    ReplayWindow(const ReplayWindow&) = delete;
    ReplayWindow& operator=(const ReplayWindow&) = delete;

    ContentView& view() { return view_; }
    AudioEngine& engine() { return *speech_.engine; }
    const platform::SpeechSetup& speech() const { return speech_; }

private:
    platform::SpeechSetup speech_;
    ImmediateQueue background_;
    ContentView view_;
    ObserverList<const std::string&>::Subscription fallbackNotice_;
};

std::optional<platform::SpeechSetup> speechFor(const ReplayOptions& options, TerminalLoop& loop,
                                               std::ostream& err, const ReplayRuntime& runtime) {
    // Keys speak whatever the level: T, [, ], the arrows, G, M and R always do.
    if (options.announce == TTSLevel::off && options.keys.empty())
        return platform::makeSilentSpeech();
    if (runtime.makeSpeech) return runtime.makeSpeech(options.speech, loop, err);
    return platform::makeSpeech(options.speech, loop, err);
}

// How long the end of a replay waits for the last utterance, and for the last tick to be played.
constexpr auto lastUtteranceLimit = std::chrono::seconds(30);
constexpr auto lastTickTime = std::chrono::milliseconds(100);

} // namespace

std::optional<ReplayOptions> parseReplayOptions(Arguments args) {
    CommandLine line("replay");
    line.arguments()
        .option("--max-messages")
        .option("--hide-type")
        .option("--pace")
        .option("--announce")
        .option("--keys")
        .option("--speech")
        .option("--speech-log")
        .option("--csv")
        .flag("--time");
    for (const SettingSwitchEntry& entry : settingSwitches)
        if (!entry.replayOption.empty()) line.flag(std::string(entry.replayOption));
    if (!line.parse(args)) return std::nullopt;

    ReplayOptions options;
    for (const auto& file : line.plainArguments())
        options.files.push_back(findCaptureFile(file).string());
    if (const auto size = line.value("--max-messages")) options.maxMessages = bufferSize(*size);
    for (const auto& name : line.values("--hide-type")) {
        const auto type = umpMessageTypeFromCaseName(name);
        if (!type)
            throw UsageError{"--hide-type expects one of utility, system, midi1ChannelVoice, "
                             "data64, midi2ChannelVoice, data128, flexData, umpStream, "
                             "unknown, found " +
                             quotedToken(name)};
        options.hidden.insert(*type);
    }
    for (const SettingSwitchEntry& entry : settingSwitches)
        if (!entry.replayOption.empty())
            options.switches[static_cast<std::size_t>(entry.setting)] =
                line.has(std::string(entry.replayOption));
    if (const auto pace = line.value("--pace"))
        options.pace = oneOf("--pace", *pace, paces, "fast or recorded");
    if (const auto level = line.value("--announce"))
        options.announce = oneOf("--announce", *level, levels, "off, short or verbose");
    if (const auto keys = line.value("--keys")) options.keys = keysOption(*keys);
    options.speech = speechChoice(line.value("--speech"));
    options.speechLog = line.value("--speech-log");
    if (options.speechLog && options.speechLog->empty())
        throw UsageError{"--speech-log expects a file name"};
    options.csvPath = line.value("--csv");
    if (options.csvPath && options.csvPath->empty()) throw UsageError{"--csv expects a file name"};
    options.time = line.has("--time");
    if (options.files.empty())
        throw UsageError{"expected at least one capture file" + line.seeHelp()};
    return options;
}

std::string replayUsage(std::string_view speechChoices) {
    std::string text(usageBeforeSwitches);
    text.append(switchUsage()).append(usageBeforeSpeech);
    text.append("  --speech BACKEND      ").append(speechChoices);
    text.append(" (default: the first that works)\n").append(usageAfterSpeech);
    return text;
}

namespace {

// The outputs can be written, or the status to end with.
std::optional<int> checkOutputs(const ReplayOptions& options, std::ostream& err) {
    if (const auto clash = outputOverInput(options)) {
        printCommandError("replay", *clash, err);
        return 2;
    }
    if (options.csvPath)
        if (const auto problem = exportTargetProblem(*options.csvPath)) {
            printCommandError("replay", terminalSafe(*problem), err);
            return 1;
        }
    return std::nullopt;
}

bool interrupted(const ReplayRuntime& runtime) {
    return runtime.stop.stop_requested() || (runtime.signals && runtime.signals->signalled());
}

struct Inputs {
    std::vector<Capture> captures;
    std::unique_ptr<SpeechLogFile> speechLog;
};

// Every capture read whole and checked, and the speech log opened, before anything plays or
// prints; or the status to end with. A FIFO may keep either waiting: a signal gives that up.
std::variant<Inputs, int> openInputs(const ReplayOptions& options, std::ostream& err,
                                     const ReplayRuntime& runtime) {
    struct Interruptible {
        explicit Interruptible(StopOnSignals* s) : signals(s) {
            if (signals) signals->interruptBlockingCalls(true);
        }
        ~Interruptible() {
            if (signals) signals->interruptBlockingCalls(false);
        }
        StopOnSignals* signals;
    } interruptible(runtime.signals);

    Inputs inputs;
    try {
        for (const auto& file : options.files) {
            if (interrupted(runtime)) return interruptedStatus;
            inputs.captures.push_back(loadCapture(file));
        }
    } catch (const CaptureError& error) {
        if (interrupted(runtime)) return interruptedStatus;
        printCommandError("replay", terminalSafe(error.what()), err);
        return 2;
    }
    for (const auto& capture : inputs.captures)
        for (const auto& warning : capture.warnings)
            printCommandError("replay", "warning: " + terminalSafe(warning), err);

    // Opened before any speech, so a log that cannot be written stops the replay first.
    try {
        if (options.speechLog)
            inputs.speechLog = std::make_unique<SpeechLogFile>(*options.speechLog);
    } catch (const SpeechLogFileError& error) {
        if (interrupted(runtime)) return interruptedStatus;
        printCommandError("replay", terminalSafe(error.what()), err);
        return 1;
    }
    return inputs;
}

void setStartingState(ContentView& view, const ReplayOptions& options, SpeechLogFile* speechLog,
                      const Clock& clock) {
    // Set while speech is off, so none of it is announced.
    MIDIManager& manager = view.midiManager();
    manager.setMaxMessages(options.maxMessages);
    manager.setHiddenMessageTypes(options.hidden);
    for (const SettingSwitchEntry& entry : settingSwitches)
        if (!entry.replayOption.empty()) entry.set(view, options.isOn(entry.setting));
    view.setTTSLevel(options.announce);
    if (speechLog) speechLog->attach(view.speechAnnouncer(), clock);
}

// Plays the captures one after another, pressing the scripted keys on the way.
void playCaptures(ReplayService& service, std::vector<Capture>& captures,
                  const ReplayOptions& options, ContentView& view, TerminalLoop& loop,
                  const ReplayRuntime& runtime) {
    std::vector<SourceRef> sources;
    for (auto& capture : captures)
        sources.push_back(service.addSource(std::move(capture)));
    loop.runPending(); // one rescan for all of them: each source is enabled when first seen

    auto nextKey = options.keys.begin();
    std::size_t line = 0;
    const auto pressKeysBefore = [&](std::size_t packet) {
        for (; nextKey != options.keys.end() && nextKey->beforePacket <= packet; ++nextKey) {
            press(view, *nextKey);
            loop.runPending();
        }
    };
    for (const SourceRef source : sources)
        if (!service.play(
                source, options.pace, loop, runtime.stop, [&] { loop.runPending(); },
                [&] { pressKeysBefore(line++); }))
            break;
    if (!runtime.stop.stop_requested()) pressKeysBefore(std::numeric_limits<std::size_t>::max());
}

// Lets the last utterance end, and the last tick be heard.
void finishSpeaking(ContentView& view, AudioEngine& engine, TerminalLoop& loop, const Clock& clock,
                    const ReplayRuntime& runtime) {
    SpeechAnnouncer& announcer = view.speechAnnouncer();
    const bool quiet = loop.runUntil(clock.monotonicNow() + lastUtteranceLimit, runtime.stop,
                                     [&] { return !announcer.busy(); });
    if (!quiet) {
        announcer.stop();
        loop.runPending();
    } else if (engine.isRunning()) {
        loop.sleepUntil(clock.monotonicNow() + lastTickTime, runtime.stop);
    }
}

// The buffer printed, or written as CSV; an interrupted export leaves the old file.
int writeOutput(const ContentView& view, const ReplayOptions& options, std::ostream& out,
                std::ostream& err, const ReplayRuntime& runtime) {
    if (!options.csvPath) {
        printBuffer(view, options.time, out);
        return 0;
    }
    const MIDIManager& manager = view.midiManager();
    const std::vector<MIDIMessage> messages(manager.messages().begin(), manager.messages().end());
    const auto timesFrom = options.time ? std::optional(view.arrivalTimes().start()) : std::nullopt;
    if (const auto error =
            writeFileAtomically(*options.csvPath, csvText(messages, timesFrom), runtime.stop)) {
        if (interrupted(runtime)) return interruptedStatus;
        printCommandError("replay", terminalSafe(*error), err);
        return 1;
    }
    out << exportResultText(true, messages.size()) << '\n';
    return 0;
}

} // namespace

int runReplay(const ReplayOptions& options, std::ostream& out, std::ostream& err,
              const ReplayRuntime& runtime) {
    if (const auto status = checkOutputs(options, err)) return *status;
    auto opened = openInputs(options, err, runtime);
    if (const int* status = std::get_if<int>(&opened)) return *status;
    Inputs& inputs = std::get<Inputs>(opened);

    const Clock& clock = *runtime.clock;
    SystemSleeper systemSleeper;
    TerminalLoop loop(clock, runtime.waiter ? *runtime.waiter : systemSleeper);
    auto speech = speechFor(options, loop, err, runtime);
    if (!speech) return 1;
    if (options.isOn(SettingSwitch::clickOnMessage)) {
        speech->engine->start();
        if (const auto problem = speech->engine->deviceProblem(); !problem.empty())
            err << "umbrascope-cli replay: the ticks go nowhere: " << problem << '\n';
    }

    ReplayService service(clock);
    ReplayWindow window(std::move(*speech), service, loop, clock, err);
    if (inputs.speechLog)
        inputs.speechLog->setUnheardCheck(platform::unheardCheck(window.speech()));
    setStartingState(window.view(), options, inputs.speechLog.get(), clock);
    playCaptures(service, inputs.captures, options, window.view(), loop, runtime);
    finishSpeaking(window.view(), window.engine(), loop, clock, runtime);
    if (inputs.speechLog)
        if (const auto problem = inputs.speechLog->close()) {
            printCommandError("replay", terminalSafe(*problem), err);
            return 1;
        }
    if (runtime.stop.stop_requested()) return interruptedStatus;
    return writeOutput(window.view(), options, out, err, runtime);
}

int runReplay(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("replay", err, [&] {
        const auto options = parseReplayOptions(args);
        if (!options) {
            out << replayUsage(platform::speechBackendChoices());
            return 0;
        }
        StopOnSignals signals;
        ReplayRuntime runtime;
        runtime.stop = signals.token();
        runtime.signals = &signals;
        const int status = runReplay(*options, out, err, runtime);
        signals.endIfSignalled();
        return status;
    });
}

} // namespace umbrascope::cli
