#pragma once

#include <iosfwd>
#include <span>
#include <string_view>

namespace umbrascope::cli {

using Arguments = std::span<const std::string_view>;

// The status of a command stopped before it was done. Stopped by a signal, the process ends by
// that signal instead (StopOnSignals).
inline constexpr int interruptedStatus = 130;

// A subcommand: arguments after its name; returns the exit status (2 for usage errors).
struct Command {
    std::string_view name;
    std::string_view summary;
    int (*run)(Arguments args, std::ostream& out, std::ostream& err);
};

int runDecode(Arguments args, std::ostream& out, std::ostream& err);
int runReplay(Arguments args, std::ostream& out, std::ostream& err);
int runVoices(Arguments args, std::ostream& out, std::ostream& err);
int runSay(Arguments args, std::ostream& out, std::ostream& err);
int runSources(Arguments args, std::ostream& out, std::ostream& err);
int runTranslate(Arguments args, std::ostream& out, std::ostream& err);
// In the terminal front end (src/terminal).
int runMonitor(Arguments args, std::ostream& out, std::ostream& err);

// The whole tool: picks the command named by the first argument and runs it. Running out of
// memory anywhere ends with one line on `err` and status 1.
int runCommandLine(Arguments args, std::ostream& out, std::ostream& err);

} // namespace umbrascope::cli
