#include "app/AppInfo.hpp"

#include <algorithm>

#include "generated/BuildInfo.hpp"

namespace umbrascope {

namespace {

bool isNumber(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

std::string versionText(std::string_view version, std::string_view buildNumber) {
    std::string text = "v";
    text += version.empty() ? std::string_view("0") : version;
    text += " (";
    text += isNumber(buildNumber) ? buildNumber : std::string_view("0");
    text += ")";
    return text;
}

std::string versionText() {
    return versionText(build_info::version, build_info::buildNumber);
}

std::string_view homepageURL() {
    return build_info::homepageURL;
}

} // namespace umbrascope
