#pragma once

#include <cstdint>
#include <vector>

namespace umbrascope {

enum class Sound : std::uint8_t { tick };

// One mono sound: a swept sine under an exponential envelope, computed in double precision, each
// sample converted to float and then halved (peak 0.5).
std::vector<float> synthesizeSound(Sound sound, double sampleRate);

} // namespace umbrascope
