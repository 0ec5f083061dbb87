#pragma once

#include <string>
#include <string_view>

namespace umbrascope {

// "v" + version + " (" + build number + ")"; an empty version reads "0", and so does a build
// number that is empty or not made of digits only.
std::string versionText(std::string_view version, std::string_view buildNumber);
// The text for this build: the project version and the build number given at configure time.
std::string versionText();

// The maker's web site, opened by the user guide's link and named at the end of its reading.
std::string_view homepageURL();

} // namespace umbrascope
