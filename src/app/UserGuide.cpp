#include "app/UserGuide.hpp"

namespace umbrascope {

std::string guideReadingText(bool guideSheetOpen) {
    const std::string hint = guideSheetOpen
                                 ? "To stop this reading, click Stop Reading, or close this window."
                                 : "To stop this reading, press G again.";
    return hint + " " + "The user guide will be read here.";
}

} // namespace umbrascope
