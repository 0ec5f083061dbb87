#include "text/TTSLevel.hpp"

namespace umbrascope {
namespace {

// Indexed by the enumeration value.
constexpr std::array<std::string_view, 3> rawValues{"TTS Off", "TTS Short", "TTS Verbose"};

} // namespace

std::string_view rawValue(TTSLevel level) {
    return rawValues[static_cast<std::size_t>(level)];
}

std::optional<TTSLevel> ttsLevelFromRaw(std::string_view raw) {
    for (const TTSLevel level : allTTSLevels)
        if (rawValue(level) == raw) return level;
    return std::nullopt;
}

TTSLevel nextTTSLevel(TTSLevel level) {
    return allTTSLevels[(static_cast<std::size_t>(level) + 1) % allTTSLevels.size()];
}

} // namespace umbrascope
