#pragma once

#include <string_view>

#include "midi/replay/CaptureFile.hpp"

namespace umbrascope {

// The built-in demo performance: data/demo.ump, compiled into the library.
std::string_view demoCaptureText();

// The demo as a capture whose source is named "Demo".
Capture demoCapture();

} // namespace umbrascope
