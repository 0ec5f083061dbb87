#include "app/DeviceSettingsText.hpp"

#include <algorithm>
#include <cmath>

namespace umbrascope {

std::string panLabel(float pan) {
    const float magnitude = std::fabs(pan);
    if (std::isnan(pan) || magnitude < 0.05f) return "Center";
    // The product stays in float: widened to double, 0.29f * 100 would truncate to 28.
    const float percent = std::min(magnitude, 1.0f) * 100.0f;
    return std::to_string(static_cast<int>(percent)) + (pan < 0.0f ? "% Left" : "% Right");
}

} // namespace umbrascope
