#pragma once

#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.hpp"

namespace CLI {
class App;
class Option;
} // namespace CLI

namespace umbrascope::cli {

// A wrong argument. The command prints "umbrascope-cli COMMAND: MESSAGE" and exits with 2; any
// argument a message quotes has gone through quotedToken.
struct UsageError {
    std::string message;
};

// One command's arguments, read by CLI11: long options as "--name value" or "--name=value",
// flags that take no value, "--" before arguments that begin with a dash, and -h/--help.
// Values are kept as text; the command converts them and words its own errors.
class CommandLine {
public:
    explicit CommandLine(std::string_view command);
    ~CommandLine();

    CommandLine& flag(const std::string& name);
    CommandLine& option(const std::string& name); // one value each time it is given
    CommandLine& arguments();                     // any number of plain arguments

    // False when help was asked for. Throws UsageError.
    bool parse(Arguments args);

    bool has(const std::string& name) const;
    // Throws UsageError when given more than once.
    std::optional<std::string> value(const std::string& name) const;
    std::vector<std::string> values(const std::string& name) const;
    const std::vector<std::string>& plainArguments() const;

    // " (see umbrascope-cli COMMAND --help)"
    std::string seeHelp() const;

private:
    const CLI::Option& find(const std::string& name) const;

    std::string command_;
    std::unique_ptr<CLI::App> app_;
    std::map<std::string, CLI::Option*, std::less<>> options_;
    CLI::Option* plain_ = nullptr;
};

// "umbrascope-cli COMMAND: MESSAGE\n"
void printCommandError(std::string_view command, std::string_view message, std::ostream& err);

// Runs a command's body, turning a UsageError it throws into its line on `err` and exit status 2.
template <typename Body>
int withUsageErrors(std::string_view command, std::ostream& err, Body body) {
    try {
        return body();
    } catch (const UsageError& error) {
        printCommandError(command, error.message, err);
        return 2;
    }
}

} // namespace umbrascope::cli
