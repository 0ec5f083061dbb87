#include <array>
#include <iostream>
#include <string_view>
#include <vector>

#include "cli/Commands.hpp"

namespace {

using umbrascope::cli::Command;

constexpr std::array commands{
    Command{"decode", "describe UMP words, one packet a line", umbrascope::cli::runDecode},
    Command{"replay", "play capture files through the receive pipeline",
            umbrascope::cli::runReplay},
    Command{"voices", "list the installed speech voices", umbrascope::cli::runVoices},
    Command{"say", "speak a text as the monitor would", umbrascope::cli::runSay},
    Command{"sources", "list MIDI sources: id, name, native or not", umbrascope::cli::runSources},
    Command{"translate", "MIDI 1.0 bytes as a port gets them", umbrascope::cli::runTranslate},
};

void printUsage(std::ostream& out) {
    out << "Usage: umbrascope-cli COMMAND [ARGS...]\n\nCommands:\n";
    for (const auto& command : commands)
        out << "  " << command.name << std::string(12 - command.name.size(), ' ') << command.summary
            << '\n';
    out << "\nRun 'umbrascope-cli COMMAND --help' for a command's options.\n";
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string_view> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        printUsage(args.empty() ? std::cerr : std::cout);
        return args.empty() ? 2 : 0;
    }
    for (const auto& command : commands)
        if (command.name == args[0])
            return command.run(std::span(args).subspan(1), std::cout, std::cerr);
    std::cerr << "umbrascope-cli: unknown command '" << args[0]
              << "' (see umbrascope-cli --help)\n";
    return 2;
}
