#include <gtest/gtest.h>

#include <fstream>
#include <regex>
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
    std::smatch version;
    std::smatch homepage;
    ASSERT_TRUE(
        std::regex_search(cmake, version, std::regex(R"(project\(Umbrascope VERSION (\S+))")));
    ASSERT_TRUE(std::regex_search(cmake, homepage, std::regex(R"rx(HOMEPAGE_URL "([^"]+)")rx")));

    const std::string text = versionText();
    const std::string prefix = std::string("v").append(version[1].str()).append(" (");
    ASSERT_TRUE(text.starts_with(prefix)) << text;
    EXPECT_TRUE(std::regex_match(text.substr(prefix.size()), std::regex(R"([0-9]+\))"))) << text;
    EXPECT_EQ(homepageURL(), homepage[1].str());
}

} // namespace
} // namespace umbrascope
