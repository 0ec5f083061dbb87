#pragma once

#include <libspeechd.h>

#include <vector>

#include "audio/SpeechSynthesizer.hpp"

namespace umbrascope {

// The voices a connection's daemon lists, one entry per voice and variant. Blocks. For this
// adapter's own files only: it names libspeechd's types.
std::vector<Voice> voicesOf(SPDConnection* connection);

} // namespace umbrascope
