#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "app/AppInfo.hpp"

namespace umbrascope {
namespace {

struct VersionCase {
    const char* name;
    const char* version;
    const char* build;
    const char* text;
};

class VersionText : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionText, FallsBackToZero) {
    EXPECT_EQ(versionText(GetParam().version, GetParam().build), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionText,
                         testing::Values(VersionCase{"withBuild", "0.1.0", "42", "v0.1.0 (42)"},
                                         VersionCase{"noBuild", "0.1.0", "", "v0.1.0 (0)"},
                                         VersionCase{"buildNotANumber", "0.1.0", "12a",
                                                     "v0.1.0 (0)"},
                                         VersionCase{"buildBlank", "2.3.4", " ", "v2.3.4 (0)"},
                                         VersionCase{"noVersion", "", "7", "v0 (7)"}),
                         [](const auto& row) { return std::string(row.param.name); });

// What the build reports comes from the one project() call, through the generated header.
TEST(AppInfo, ComesFromTheProjectCall) {
    std::ifstream file(UMBRASCOPE_SOURCE_DIR "/CMakeLists.txt");
    std::stringstream contents;
    contents << file.rdbuf();
    const std::string cmake = contents.str();
    // The text after a marker up to the first character of `stop`.
    const auto after = [&](const std::string& marker, const char* stop) {
        const auto start = cmake.find(marker);
        if (start == std::string::npos) return std::string();
        const auto from = start + marker.size();
        return cmake.substr(from, cmake.find_first_of(stop, from) - from);
    };
    const std::string version = after("project(Umbrascope VERSION ", " \n)");
    const std::string homepage = after("HOMEPAGE_URL \"", "\"");
    ASSERT_FALSE(version.empty());
    ASSERT_FALSE(homepage.empty());

    const std::string text = versionText();
    const std::string prefix = "v" + version + " (";
    ASSERT_TRUE(text.starts_with(prefix)) << text;
    const std::string build = text.substr(prefix.size());
    ASSERT_GE(build.size(), 2u) << text;
    EXPECT_EQ(build.back(), ')') << text;
    EXPECT_EQ(build.find_first_not_of("0123456789"), build.size() - 1) << text;
    EXPECT_EQ(homepageURL(), homepage);
}

} // namespace
} // namespace umbrascope
