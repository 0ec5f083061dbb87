#include <optional>
#include <ostream>
#include <string>

#include "audio/VoiceSelection.hpp"
#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/SaySpeech.hpp"
#include "cli/TerminalText.hpp"
#include "core/MainQueue.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

namespace {

const std::string usage =
    "Usage: umbrascope-cli voices [--all] [--speech " + platform::speechBackendChoices("|", "|") +
    "]\n"
    "Lists the voices the voice picker offers: each English voice once, sorted by name,\n"
    "as 'name (language)', a tab, and the identifier that --voice takes.\n"
    "--all lists every voice and variant in every language.\n";

struct VoicesOptions {
    std::string backend;
    bool all = false;
};

// Nothing when help was asked for.
std::optional<VoicesOptions> parseVoicesOptions(Arguments args) {
    CommandLine line("voices");
    line.option("--speech").flag("--all");
    if (!line.parse(args)) return std::nullopt;
    return VoicesOptions{speechChoice(line.value("--speech")), line.has("--all")};
}

int listVoices(const VoicesOptions& options, std::ostream& out, std::ostream& err) {
    ManualQueue queue;
    auto speech = platform::makeSpeech(options.backend, queue, err);
    if (!speech) return 1;
    auto installed = platform::installedVoices(*speech);
    const auto voices =
        options.all ? allVoicesByName(std::move(installed)) : pickerVoices(std::move(installed));
    for (const auto& voice : voices)
        out << terminalSafe(voiceLabel(voice)) << '\t' << terminalSafe(voice.identifier) << '\n';
    if (voices.empty())
        err << "no voices (speech backend: "
            << platform::speechBackendInfo(speech->speakingBackend()).id << ")\n";
    return 0;
}

} // namespace

int runVoices(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("voices", err, [&] {
        const auto options = parseVoicesOptions(args);
        if (!options) {
            out << usage;
            return 0;
        }
        return listVoices(*options, out, err);
    });
}

} // namespace umbrascope::cli
