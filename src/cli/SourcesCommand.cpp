#include <cstdint>
#include <ostream>
#include <string>

#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/TerminalText.hpp"
#include "core/MainQueue.hpp"
#include "midi/MIDIManager.hpp"
#include "platform/SystemMIDI.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli sources\n"
    "Lists every MIDI source, one a line: its id, its name and whether it is\n"
    "native UMP or MIDI 1.0, separated by tabs. Where the system MIDI service\n"
    "runs, a last line counts its input overruns: times that incoming MIDI was\n"
    "lost because it came faster than it was read. Exits with 1, naming the\n"
    "cause, when the system MIDI service cannot be opened.\n";

int listSources(std::ostream& out, std::ostream& err) {
    platform::MIDIServices services({});
    if (!services.hasSystemMIDI()) {
        // An empty list here would pass a broken setup off as a quiet one.
        if (!services.systemMIDIProblem().empty()) {
            printCommandError("sources", services.systemMIDIProblem(), err);
            return 1;
        }
        out << "No MIDI sources found\n";
        return 0;
    }
    MIDIService& service = services.service();
    ManualQueue queue;
    MIDIManager manager(service, queue);
    queue.drain();
    std::size_t listed = 0;
    for (const SourceRef source : service.sources()) {
        const std::int32_t id = service.uniqueID(source);
        out << id << '\t' << terminalSafe(service.displayName(source).value_or(unknownSourceName))
            << '\t' << (service.isNativeUMP(source, id) ? "native UMP" : "MIDI 1.0") << '\n';
        ++listed;
    }
    if (listed == 0) out << "No MIDI sources found\n";
    out << "Input overruns: " << manager.inputOverruns() << '\n';
    return 0;
}

} // namespace

int runSources(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("sources", err, [&] {
        CommandLine line("sources");
        if (!line.parse(args)) {
            out << usage;
            return 0;
        }
        return listSources(out, err);
    });
}

} // namespace umbrascope::cli
