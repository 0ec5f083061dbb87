#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

#include "cli/CommandLine.hpp"
#include "cli/Commands.hpp"
#include "cli/TerminalText.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

namespace {

constexpr std::string_view usage =
    "Usage: umbrascope-cli voices [--speech speechd|espeak|none]\n"
    "Lists the installed voices: identifier, name and language, tab-separated,\n"
    "English voices first.\n";

// The backend asked for; nothing when help was asked for.
std::optional<std::string> parseVoicesOptions(Arguments args) {
    CommandLine line("voices");
    line.option("--speech");
    if (!line.parse(args)) return std::nullopt;
    std::string backend = line.value("--speech").value_or("");
    if (!platform::isSpeechBackendName(backend))
        throw UsageError{"--speech expects speechd, espeak or none, found " + quotedToken(backend)};
    return backend;
}

int listVoices(const std::string& backend, std::ostream& out, std::ostream& err) {
    auto speech = platform::makeSpeech(backend, err);
    if (!speech) return 1;
    auto voices = platform::installedVoices(*speech);
    std::stable_sort(voices.begin(), voices.end(), [](const Voice& a, const Voice& b) {
        const bool aEnglish = a.language.starts_with("en");
        const bool bEnglish = b.language.starts_with("en");
        if (aEnglish != bEnglish) return aEnglish;
        return a.name < b.name;
    });
    for (const auto& voice : voices)
        out << terminalSafe(voice.identifier) << '\t' << terminalSafe(voice.name) << '\t'
            << terminalSafe(voice.language) << '\n';
    if (voices.empty()) err << "no voices (speech backend: " << speech->backend << ")\n";
    return 0;
}

} // namespace

int runVoices(Arguments args, std::ostream& out, std::ostream& err) {
    return withUsageErrors("voices", err, [&] {
        const auto backend = parseVoicesOptions(args);
        if (!backend) {
            out << usage;
            return 0;
        }
        return listVoices(*backend, out, err);
    });
}

} // namespace umbrascope::cli
