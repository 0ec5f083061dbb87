#include "cli/CommandLine.hpp"

#include <algorithm>

#include <CLI/CLI.hpp>

#include "cli/TerminalText.hpp"

namespace umbrascope::cli {

namespace {

// The option an ArgumentMismatch of CLI11 2.1 is about: "--pace: 1 required  missing", or
// "ticks was given a disallowed flag override".
std::string mismatchedOption(std::string_view what) {
    std::string name(what.substr(0, what.find_first_of(": ")));
    if (!name.starts_with("-")) name.insert(0, "--");
    return name;
}

} // namespace

CommandLine::CommandLine(std::string_view command)
    : command_(command),
      app_(std::make_unique<CLI::App>("", "umbrascope-cli " + std::string(command))) {
    app_->set_help_flag("-h,--help");
}

CommandLine::~CommandLine() = default;

CommandLine& CommandLine::flag(const std::string& name) {
    options_[name] = app_->add_flag(name)->disable_flag_override();
    return *this;
}

CommandLine& CommandLine::option(const std::string& name) {
    options_[name] =
        app_->add_option(name)->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    return *this;
}

CommandLine& CommandLine::arguments() {
    plain_ = app_->add_option("arguments")
                 ->expected(0, CLI::detail::expected_max_vector_size)
                 ->allow_extra_args();
    return *this;
}

bool CommandLine::parse(Arguments args) {
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app_->parse(reversed);
    } catch (const CLI::CallForHelp&) {
        return false;
    } catch (const CLI::ExtrasError&) {
        const auto extras = app_->remaining();
        const std::string first = extras.empty() ? std::string() : extras.front();
        const bool looksLikeOption = first.size() > 1 && first.starts_with("-");
        throw UsageError{(looksLikeOption ? "unknown option " : "unexpected argument ") +
                         quotedToken(first) + seeHelp()};
    } catch (const CLI::ArgumentMismatch& error) {
        const std::string_view what = error.what();
        const bool flagGivenAValue = what.find("flag override") != std::string_view::npos;
        throw UsageError{"option " + quotedToken(mismatchedOption(what)) +
                         (flagGivenAValue ? " takes no value" : " expects a value")};
    } catch (const CLI::ParseError& error) {
        throw UsageError{terminalSafe(error.what()) + seeHelp()};
    }
    return true;
}

const CLI::Option& CommandLine::find(const std::string& name) const {
    return *options_.find(name)->second;
}

bool CommandLine::has(const std::string& name) const {
    return find(name).count() > 0;
}

std::optional<std::string> CommandLine::value(const std::string& name) const {
    const auto& results = find(name).results();
    if (results.empty()) return std::nullopt;
    if (results.size() > 1)
        throw UsageError{"option " + quotedToken(name) + " given more than once"};
    return results.front();
}

std::vector<std::string> CommandLine::values(const std::string& name) const {
    return find(name).results();
}

const std::vector<std::string>& CommandLine::plainArguments() const {
    static const std::vector<std::string> none;
    return plain_ ? plain_->results() : none;
}

std::string CommandLine::seeHelp() const {
    return " (see umbrascope-cli " + command_ + " --help)";
}

void printCommandError(std::string_view command, std::string_view message, std::ostream& err) {
    err << "umbrascope-cli";
    if (!command.empty()) err << ' ' << command;
    err << ": " << message << '\n';
}

} // namespace umbrascope::cli
