#include "desktop/CommandLine.hpp"

#include <CLI/CLI.hpp>
#include <ostream>
#include <sstream>

#include "app/AppInfo.hpp"
#include "platform/DataFiles.hpp"
#include "platform/SpeechBackends.hpp"
#include "text/TerminalSafe.hpp"

namespace umbrascope::desktop {

namespace {

constexpr int usageError = 2;

// File names, file text and option values may hold terminal controls: each line is escaped.
void printError(std::ostream& err, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        err << "umbrascope: " << terminalSafe(text.substr(0, end)) << '\n';
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
}

} // namespace

std::variant<MonitorRequest, int> readCommandLine(int argc, const char* const* argv,
                                                  std::ostream& out, std::ostream& err) {
    CLI::App app{"Umbrascope: a real-time MIDI 2.0 (UMP) monitor. Without files it monitors the "
                 "system's MIDI sources; every capture file is one more source.",
                 "umbrascope"};
    app.set_version_flag("--version", "Umbrascope " + versionText());
    std::vector<std::string> files;
    app.add_option(
        "files", files,
        "capture files (.ump: one event packet per line, optional +SECONDS delay, "
        "then 1 to 64 hex words; or a CSV export of ours); a name without a folder that is not "
        "in the current folder is looked for among the captures that come with "
        "Umbrascope, such as demo.ump");
    MonitorRequest request;
    app.add_flag("--demo", request.demo, "add the built-in \"Demo\" source, playing in a loop");
    std::vector<std::string> backends;
    for (const auto& backend : platform::speechBackends)
        backends.emplace_back(backend.id);
    app.add_option("--speech", request.speech,
                   "speech backend: " + platform::speechBackendChoices() +
                       " (default: the first that works)")
        ->check(CLI::IsMember(backends));
    std::string speechLog;
    app.add_option("--speech-log", speechLog,
                   "write one line per utterance of the first window to FILE: time, outcome, "
                   "voice, rate, volume, text");
    std::string screenshot;
    app.add_option("--screenshot", screenshot)->group("");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        std::ostringstream refusal;
        const int code = app.exit(error, out, refusal);
        if (code != 0) printError(err, refusal.str());
        return code == 0 ? 0 : usageError;
    }
    if (!screenshot.empty()) request.screenshot = screenshot;
    try {
        for (const std::string& name : files) {
            const std::string file = findCaptureFile(name);
            // Captures are read whole before the window opens: a FIFO would hold it back unseen.
            std::error_code ignored;
            if (std::filesystem::is_fifo(std::filesystem::status(file, ignored)))
                throw CaptureError(file + ": expected a capture file, found a FIFO "
                                          "(umbrascope-cli replay plays one as it comes)");
            request.captures.push_back(std::make_shared<const Capture>(loadCapture(file)));
            request.captureFiles.emplace_back(file);
        }
    } catch (const CaptureError& error) {
        printError(err, error.what());
        return usageError;
    }
    try {
        if (!speechLog.empty()) request.speechLog = std::make_shared<SpeechLogFile>(speechLog);
    } catch (const SpeechLogFileError& error) {
        printError(err, error.what());
        return usageError;
    }
    return request;
}

} // namespace umbrascope::desktop
