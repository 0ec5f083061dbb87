#include <array>
#include <new>
#include <ostream>
#include <string>
#include <system_error>

#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/TerminalText.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::array commands{
    Command{"decode", "describe UMP words, one packet a line", runDecode},
    Command{"replay", "play capture files through the receive pipeline", runReplay},
    Command{"voices", "list the installed speech voices", runVoices},
    Command{"say", "speak a text as the monitor would", runSay},
    Command{"sources", "list MIDI sources: id, name, native or not", runSources},
    Command{"translate", "MIDI 1.0 bytes as a port gets them", runTranslate},
    Command{"monitor", "the monitor in a terminal: live sources, keys, speech", runMonitor},
};

void printUsage(std::ostream& out) {
    out << "Usage: umbrascope-cli COMMAND [ARGS...]\n\nCommands:\n";
    for (const auto& command : commands)
        out << "  " << command.name << std::string(12 - command.name.size(), ' ') << command.summary
            << '\n';
    out << "\nRun 'umbrascope-cli COMMAND --help' for a command's options.\n";
}

int dispatch(Arguments args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(args.empty() ? err : out);
        return args.empty() ? 2 : 0;
    }
    for (const auto& command : commands)
        if (command.name == args[0]) return command.run(args.subspan(1), out, err);
    printCommandError(
        "", "unknown command " + quotedToken(args[0]) + " (see umbrascope-cli --help)", err);
    return 2;
}

} // namespace

int runCommandLine(Arguments args, std::ostream& out, std::ostream& err) {
    try {
        return dispatch(args, out, err);
    } catch (const std::bad_alloc&) {
        // Whatever was allocated has been released on the way here.
        err << "umbrascope-cli: out of memory\n";
        return 1;
    } catch (const std::system_error& error) {
        // Under a limit on threads or memory, std::thread cannot start one.
        err << "umbrascope-cli: cannot start a thread: " << error.code().message() << '\n';
        return 1;
    }
}

} // namespace umbrascope::cli
