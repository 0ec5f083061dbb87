#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/MIDIMessage.hpp"
#include "text/TTSLevel.hpp"

namespace umbrascope {

// The text to speak for a message at a narration level, or nothing to stay silent. Reads and
// updates the caller's running status, and nothing else, so any thread may call it with a status
// of its own.
std::optional<std::string> spokenText(const MIDIMessage& message, TTSLevel level,
                                      std::optional<RunningVoiceStatus>& status);

// The builders behind it; `level` short gives the short form, any other level the verbose form.
std::string panText(double value, double centre, double maximum, bool shortForm);
std::string controlChangeText(int controller, double value, double centre, double maximum,
                              int channel, TTSLevel level);
std::string pitchBendText(double value, double centre, double maximum, int channel, TTSLevel level);

// Every "UMP" written so that a synthesizer spells it out.
std::string withSpokenUMP(std::string_view text);

} // namespace umbrascope
