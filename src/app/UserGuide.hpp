#pragma once

#include <string>

namespace umbrascope {

// The spoken guide: the stop hint for whether the guide sheet is open, one space, then the body.
std::string guideReadingText(bool guideSheetOpen);

} // namespace umbrascope
