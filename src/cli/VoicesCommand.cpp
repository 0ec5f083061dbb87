#include <algorithm>
#include <ostream>
#include <string>

#include "cli/Commands.hpp"
#include "platform/SpeechSetup.hpp"

namespace umbrascope::cli {

int runVoices(Arguments args, std::ostream& out, std::ostream& err) {
    std::string_view backend;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            out << "Usage: umbrascope-cli voices [--speech speechd|espeak|none]\n"
                   "Lists the installed voices: identifier, name and language, tab-separated,\n"
                   "English voices first.\n";
            return 0;
        }
        if (args[i] == "--speech" && i + 1 < args.size()) {
            backend = args[++i];
            continue;
        }
        err << "umbrascope-cli voices: unexpected argument '" << args[i] << "'\n";
        return 2;
    }
    if (!platform::isSpeechBackendName(backend)) {
        err << "umbrascope-cli voices: --speech expects speechd, espeak or none, got '" << backend
            << "'\n";
        return 2;
    }
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
        out << voice.identifier << '\t' << voice.name << '\t' << voice.language << '\n';
    if (voices.empty()) err << "no voices (speech backend: " << speech->backend << ")\n";
    return 0;
}

} // namespace umbrascope::cli
