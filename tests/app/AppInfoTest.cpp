#include <gtest/gtest.h>

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
                                         VersionCase{"noVersion", "", "7", "v0 (7)"}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace umbrascope
