#include "desktop/CommandLine.hpp"

#include <CLI/CLI.hpp>
#include <ostream>

#include "app/AppInfo.hpp"
#include "platform/DataFiles.hpp"
#include "platform/SpeechBackends.hpp"

namespace umbrascope::desktop {

namespace {

constexpr int usageError = 2;

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
        const int code = app.exit(error, out, err);
        return code == 0 ? 0 : usageError;
    }
    if (!screenshot.empty()) request.screenshot = screenshot;
    try {
        for (const std::string& file : files)
            request.captures.push_back(loadCapture(findCaptureFile(file)));
    } catch (const CaptureError& error) {
        err << "umbrascope: " << error.what() << "\n";
        return usageError;
    }
    try {
        if (!speechLog.empty()) request.speechLog = std::make_shared<SpeechLogFile>(speechLog);
    } catch (const SpeechLogFileError& error) {
        err << "umbrascope: " << error.what() << "\n";
        return usageError;
    }
    return request;
}

} // namespace umbrascope::desktop
