#include "terminal/MonitorCommand.hpp"

#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <utility>

#include <unistd.h>

#include "app/AtomicFile.hpp"
#include "app/BackgroundQueue.hpp"
#include "app/SpeechLogFile.hpp"
#include "cli/CommandLine.hpp"
#include "cli/StopOnSignals.hpp"
#include "cli/TerminalLoop.hpp"
#include "cli/TerminalText.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "platform/SpeechBackends.hpp"
#include "platform/SpeechSetup.hpp"
#include "platform/SystemMIDI.hpp"
#include "terminal/CaptureRecorder.hpp"
#include "terminal/RawTerminal.hpp"
#include "terminal/TerminalEvents.hpp"

namespace umbrascope::terminal {

namespace {

using cli::UsageError;

constexpr std::string_view usage =
    "Usage: umbrascope-cli monitor [FILE.ump...] [OPTIONS]\n"
    "\n"
    "The monitor in a terminal: every MIDI source live (plus the Demo source and capture files,\n"
    "played at their recorded pace), with the window's keys, speech and ticks. Press ? for the\n"
    "keys and q or Ctrl+C to quit.\n"
    "\n"
    "  --demo                add the built-in Demo source\n"
    "  --no-system           leave out the system's MIDI sources\n"
    "  --screen              a list of rows and a status line (default on a terminal)\n"
    "  --lines               every new message and status change appended as one plain line, for\n"
    "                        screen readers, braille displays and logs (default otherwise)\n"
    "  --json                one JSON object per message (sequenceNumber, time, sourceID,\n"
    "                        source, words, type, displayName, hex, description, short,\n"
    "                        verbose); what the keys show goes to standard error\n"
    "  --record FILE.ump     also write what arrives as a capture file, replaced as a whole when\n"
    "                        the monitor ends; 'replay FILE.ump --pace recorded' plays it back.\n"
    "                        A capture is one source: a change of source is a comment line\n"
    "  --export FILE.csv     where the E key exports (default Umbrascope-Export.csv)\n"
    "  --time                begin every row with when its message arrived: seconds since the\n"
    "                        monitor started, to the millisecond (12.345); JSON has its time\n"
    "  --max-messages N      buffer size: 500 (default), 1000 or 5000\n"
    "  --announce LEVEL      narration at the start: off (default), short, verbose\n"
    "  --speech BACKEND      @BACKENDS@ (default: the first that works)\n"
    "  --speech-log FILE     write one line per utterance, as replay does\n"
    "  --help                show this help\n"
    "\n"
    "Colour only on a terminal, and never when NO_COLOR is set.\n";

constexpr std::pair<std::string_view, TTSLevel> levels[] = {
    {"off", TTSLevel::off}, {"short", TTSLevel::short_}, {"verbose", TTSLevel::verbose}};

const std::pair<const char*, DisplayMode> modeFlags[] = {{"--screen", DisplayMode::screen},
                                                         {"--lines", DisplayMode::lines},
                                                         {"--json", DisplayMode::json}};

// Writes everything, or says why not.
bool writeAll(std::ostream& stream, const std::string& text) {
    if (text.empty()) return true;
    stream << text;
    stream.flush();
    return static_cast<bool>(stream);
}

} // namespace

std::optional<MonitorRequest> parseMonitorRequest(cli::Arguments args) {
    cli::CommandLine line("monitor");
    line.arguments()
        .flag("--demo")
        .flag("--no-system")
        .flag("--screen")
        .flag("--lines")
        .flag("--json")
        .option("--record")
        .option("--export")
        .option("--max-messages")
        .option("--announce")
        .option("--speech")
        .option("--speech-log")
        .flag("--time");
    if (!line.parse(args)) return std::nullopt;

    MonitorRequest request;
    request.files = line.plainArguments();
    request.demo = line.has("--demo");
    request.system = !line.has("--no-system");
    for (const auto& [flag, mode] : modeFlags)
        if (line.has(flag)) {
            if (request.mode)
                throw UsageError{"expected one of --screen, --lines and --json, found two"};
            request.mode = mode;
        }
    const auto fileOption = [&line](const char* name) {
        auto value = line.value(name);
        if (value && value->empty()) throw UsageError{std::string(name) + " expects a file name"};
        return value;
    };
    request.recordPath = fileOption("--record");
    if (const auto path = fileOption("--export")) request.exportPath = *path;
    request.speechLog = fileOption("--speech-log");
    request.time = line.has("--time");
    if (const auto size = line.value("--max-messages")) {
        const auto found = std::find_if(
            MIDIManager::maxMessagesChoices.begin(), MIDIManager::maxMessagesChoices.end(),
            [&](std::int64_t choice) { return *size == std::to_string(choice); });
        if (found == MIDIManager::maxMessagesChoices.end())
            throw UsageError{"--max-messages expects 500, 1000 or 5000, found " +
                             cli::quotedToken(*size)};
        request.maxMessages = *found;
    }
    if (const auto level = line.value("--announce")) {
        const auto found = std::find_if(std::begin(levels), std::end(levels),
                                        [&](const auto& entry) { return entry.first == *level; });
        if (found == std::end(levels))
            throw UsageError{"--announce expects off, short or verbose, found " +
                             cli::quotedToken(*level)};
        request.announce = found->second;
    }
    if (const auto speech = line.value("--speech")) {
        if (!platform::parseSpeechBackend(*speech))
            throw UsageError{"--speech expects " + platform::speechBackendChoices() + ", found " +
                             cli::quotedToken(*speech)};
        request.speech = *speech;
    }
    return request;
}

DisplayMode automaticMode(bool outputIsTerminal, const char* term) {
    const bool dumb = term == nullptr || *term == '\0' || std::string_view(term) == "dumb";
    return outputIsTerminal && !dumb ? DisplayMode::screen : DisplayMode::lines;
}

bool useColour(DisplayMode mode, bool outputIsTerminal, const char* noColor) {
    return mode == DisplayMode::screen && outputIsTerminal && noColor == nullptr;
}

namespace {

int runMonitor(const MonitorRequest& request, std::ostream& out, std::ostream& err,
               std::stop_token stop) {
    const auto fail = [&err](const std::string& message) {
        cli::printCommandError("monitor", cli::terminalSafe(message), err);
        return 1;
    };
    if (request.recordPath) {
        for (const auto& file : request.files) {
            std::error_code error;
            if (std::filesystem::equivalent(*request.recordPath, file, error)) {
                cli::printCommandError("monitor",
                                       "--record names the capture file '" +
                                           cli::terminalSafe(file) + "'; choose another file",
                                       err);
                return 2;
            }
        }
        if (const auto problem = exportTargetProblem(*request.recordPath)) return fail(*problem);
    }
    platform::MIDIRequest midiRequest;
    midiRequest.system = request.system;
    midiRequest.demo = request.demo;
    try {
        for (const auto& file : request.files)
            midiRequest.captures.push_back(std::make_shared<const Capture>(loadCapture(file)));
    } catch (const CaptureError& error) {
        cli::printCommandError("monitor", cli::terminalSafe(error.what()), err);
        return 2;
    }
    for (const auto& capture : midiRequest.captures)
        for (const auto& warning : capture->warnings)
            cli::printCommandError("monitor", "warning: " + cli::terminalSafe(warning), err);
    std::unique_ptr<SpeechLogFile> speechLog;
    try {
        if (request.speechLog) speechLog = std::make_unique<SpeechLogFile>(*request.speechLog);
    } catch (const SpeechLogFileError& error) {
        return fail(error.what());
    }

    const bool outputIsTerminal = ::isatty(STDOUT_FILENO) == 1;
    MonitorOptions options;
    options.mode = request.mode.value_or(automaticMode(outputIsTerminal, std::getenv("TERM")));
    options.colour = useColour(options.mode, outputIsTerminal, std::getenv("NO_COLOR"));
    options.exportPath = request.exportPath;
    options.time = request.time;

    const Clock& clock = SystemClock::instance();
    const bool keyboard = ::isatty(STDIN_FILENO) == 1;
    TerminalEvents events(keyboard ? STDIN_FILENO : -1);
    cli::TerminalLoop loop(clock, events);
    auto speech = platform::makeSpeech(request.speech, loop, err);
    if (!speech) return 1;
    speech->engine->start();
    WorkerThreadQueue background;
    platform::MIDIServices midi(std::move(midiRequest));
    std::optional<TerminalMonitor> monitor;
    monitor.emplace(ContentViewServices{midi.service(),
                                        std::move(speech->synthesizer),
                                        *speech->engine,
                                        loop,
                                        loop.scheduler(),
                                        background,
                                        clock,
                                        {}},
                    options);
    // The view's click buffers may be queued in the mixer: it stops pulling before they go.
    const struct EngineStop {
        AudioEngine& engine;
        ~EngineStop() { engine.stop(); }
    } engineStop{*speech->engine};
    ContentView& view = monitor->view();
    auto fallbackNotice =
        speech->onFallback([&](const std::string& notice) { view.showSpeechNotice(notice); });
    view.midiManager().setMaxMessages(request.maxMessages);
    view.setTTSLevel(request.announce);
    if (speechLog) speechLog->attach(view.speechAnnouncer(), clock);
    std::optional<CaptureRecorder> recorder;
    if (request.recordPath) {
        recorder.emplace(view.midiManager(), *request.recordPath);
        if (recorder->failure()) return fail(*recorder->failure());
    }
    loop.post([&midi] { midi.startPlayback(); }); // behind the store's first scan

    std::optional<RawTerminal> raw;
    if (keyboard) raw.emplace(STDIN_FILENO);
    const bool screen = options.mode == DisplayMode::screen;
    const auto showScreen = [&] {
        if (screen) writeAll(out, std::string(TerminalMonitor::enterScreen));
        monitor->resize(terminalSize(STDOUT_FILENO).value_or(TerminalSize{}));
    };
    const auto hideScreen = [&] {
        if (screen) writeAll(out, std::string(TerminalMonitor::leaveScreen));
    };
    showScreen();

    KeyDecoder decoder;
    std::unique_ptr<ScheduledTask> escapeWait; // for the rest of a sequence
    bool escapeDue = false;
    bool outputFailed = false;
    std::string text, notes;
    loop.runUntil(MonoTime::max(), stop, [&] {
        const auto happened = events.takeSignals();
        if (happened.continued) {
            if (raw) raw->enter();
            showScreen();
        } else if (happened.resized) {
            monitor->resize(terminalSize(STDOUT_FILENO).value_or(TerminalSize{}));
        }
        const auto input = events.readInput();
        auto keys = decoder.feed(input.value_or(""));
        if (std::exchange(escapeDue, false)) {
            escapeWait.reset();
            for (const auto& key : decoder.flush())
                keys.push_back(key);
        }
        if (decoder.waiting() && !escapeWait)
            escapeWait = loop.scheduler().defer(KeyDecoder::sequenceWait,
                                                [&escapeDue] { escapeDue = true; });
        for (const TerminalKey& key : keys) {
            if (key.kind == TerminalKey::Kind::suspend) {
                hideScreen();
                if (raw) raw->restore();
                // Returns once continued, or at once where stopping is not allowed (a process
                // group without a shell to continue it): either way the screen comes back.
                ::raise(SIGTSTP);
                if (raw) raw->enter();
                showScreen();
                continue;
            }
            monitor->handleKey(key);
        }
        text.clear();
        notes.clear();
        monitor->takeOutput(text, notes);
        if (!writeAll(out, text)) outputFailed = true;
        writeAll(err, notes);
        return monitor->quitRequested() || outputFailed || !input || events.inputEnded();
    });

    hideScreen();
    raw.reset();
    midi.stopPlayback();
    int status = 0;
    if (recorder)
        if (const auto problem = recorder->finish()) status = fail(*problem);
    speech->engine->stop();
    monitor.reset();
    if (speechLog)
        if (const auto problem = speechLog->close()) status = fail(*problem);
    if (outputFailed) return status == 0 ? 1 : status;
    return status;
}

} // namespace

} // namespace umbrascope::terminal

namespace umbrascope::cli {

int runMonitor(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("monitor", err, [&] {
        const auto request = terminal::parseMonitorRequest(args);
        if (!request) {
            // The backends are named where they are listed, so a new one cannot be left out here.
            std::string text(terminal::usage);
            const std::string_view marker = "@BACKENDS@";
            text.replace(text.find(marker), marker.size(), platform::speechBackendChoices());
            out << text;
            return 0;
        }
        StopOnSignals signals;
        const int status = terminal::runMonitor(*request, out, err, signals.token());
        signals.endIfSignalled();
        return status;
    });
}

} // namespace umbrascope::cli
