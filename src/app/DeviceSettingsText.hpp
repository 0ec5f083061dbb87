#pragma once

#include <string>

namespace umbrascope {

// The pan slider's spoken value: "Center" within 0.05 of the middle, else the whole percent
// toward one side, truncated ("5% Left", "99% Right"). Computed in float so the text matches the
// slider's own value; out-of-range pans read as the end they are clamped to, NaN as "Center".
std::string panLabel(float pan);

} // namespace umbrascope
