#include <cstdint>
#include <ostream>
#include <string>

#include "cli/Commands.hpp"
#include "cli/TerminalText.hpp"

#include "core/MainQueue.hpp"
#include "midi/MIDIManager.hpp"
#include "platform/SystemMidi.hpp"

namespace umbrascope::cli {

int runSources(Arguments args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            out << "Usage: umbrascope-cli sources\n"
                   "Lists every MIDI source, one a line: its id, its name and whether it is\n"
                   "native UMP or MIDI 1.0, separated by tabs.\n";
            return 0;
        }
        err << "umbrascope-cli sources: takes no arguments (see --help)\n";
        return 2;
    }
    std::size_t listed = 0;
    if (auto service = platform::makeSystemMidiService()) {
        ManualQueue queue;
        MIDIManager manager(*service, queue);
        queue.drain();
        for (const SourceRef source : service->sources()) {
            const std::int32_t id = service->uniqueID(source);
            out << id << '\t'
                << terminalSafe(service->displayName(source).value_or(unknownSourceName)) << '\t'
                << (manager.isSourceNativeUMP(source, id) ? "native UMP" : "MIDI 1.0") << '\n';
            ++listed;
        }
    }
    if (listed == 0) out << "No MIDI sources found\n";
    return 0;
}

} // namespace umbrascope::cli
