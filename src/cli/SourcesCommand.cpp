#include <cstdint>
#include <cstdio>
#include <ostream>
#include <string>

#include "cli/Commands.hpp"

#if HAVE_UMBRASCOPE_ALSA
#include "midi/alsa/AlsaSequencer.hpp"
#endif

namespace umbrascope::cli {

namespace {

// Device names reach the terminal: control characters are shown, not obeyed.
std::string escapedForTerminal(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            shown += escaped;
        } else {
            shown += c;
        }
    }
    return shown;
}

} // namespace

int runSources(Arguments args, std::ostream& out, std::ostream& err) {
    if (!args.empty()) {
        if (args[0] == "--help" || args[0] == "-h") {
            out << "Usage: umbrascope-cli sources\n"
                   "Lists every MIDI source: its id, whether it is native UMP, its name.\n";
            return 0;
        }
        err << "umbrascope-cli sources: takes no arguments\n";
        return 2;
    }
    std::size_t listed = 0;
#if HAVE_UMBRASCOPE_ALSA
    alsa::AlsaSequencer sequencer;
    if (sequencer.createClient("UmbrascopeClient", [](int) {})) {
        for (const auto reference : sequencer.sources()) {
            const auto name = sequencer.displayName(reference);
            char id[16];
            std::snprintf(id, sizeof id, "%11d", static_cast<int>(sequencer.uniqueID(reference)));
            // The sequencer delivers MIDI 1.0 events: no source is native UMP here.
            out << id << "  "
                << "MIDI 1.0  " << escapedForTerminal(name.value_or("Unknown Source")) << '\n';
            ++listed;
        }
    }
#endif
    if (listed == 0) out << "No MIDI sources found\n";
    return 0;
}

} // namespace umbrascope::cli
