#pragma once

#include <array>
#include <optional>
#include <string_view>

namespace umbrascope {

// Narration level. `short` is a C++ keyword, so that case is spelled `short_`.
enum class TTSLevel { off, short_, verbose };

inline constexpr std::array<TTSLevel, 3> allTTSLevels{TTSLevel::off, TTSLevel::short_,
                                                      TTSLevel::verbose};

// "TTS Off", "TTS Short", "TTS Verbose": the raw value, also shown and spoken.
std::string_view rawValue(TTSLevel level);
// Accepts exactly the three raw values, case-sensitive.
std::optional<TTSLevel> ttsLevelFromRaw(std::string_view raw);
// The keyboard cycle: off, short, verbose, off.
TTSLevel nextTTSLevel(TTSLevel level);

// Running note status of the short spoken text; callers hold it as an optional, none meaning the
// last message that counted was not a note message.
enum class RunningVoiceStatus { noteOn, noteOff };

} // namespace umbrascope
