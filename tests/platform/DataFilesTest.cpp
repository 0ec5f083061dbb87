#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/DataFiles.hpp"

namespace umbrascope {
namespace {

namespace fs = std::filesystem;

TEST(DataFiles, TheFolderIsShareBesideBin) {
    EXPECT_EQ(dataFolder("/usr/bin/umbrascope-cli"), fs::path("/usr/share/umbrascope"));
    // What a program run from the build folder finds.
    const fs::path built = fs::path(UMBRASCOPE_BINARY_DIR) / "src/cli/umbrascope-cli";
    EXPECT_TRUE(fs::is_regular_file(dataFolder(built) / "demo.ump"));
}

TEST(DataFiles, CaptureNames) {
    const fs::path data = fs::temp_directory_path() / "umbrascope-data-files-test";
    fs::create_directories(data);
    const auto touch = [](const fs::path& path) { std::ofstream(path) << "10F80000\n"; };
    touch(data / "bundled.ump");
    touch(data / "here.ump");
    touch("here.ump"); // the test's current folder
    struct Row {
        const char* name;
        fs::path given;
        fs::path data;
        fs::path expected;
    };
    const Row rows[] = {
        {"bundled name", "bundled.ump", data, data / "bundled.ump"},
        {"the current folder first", "here.ump", data, "here.ump"},
        {"a folder is taken as given", "./bundled.ump", data, "./bundled.ump"},
        {"missing everywhere keeps its name", "missing.ump", data, "missing.ump"},
        {"a folder is not a capture", "sub", data, "sub"},
        {"no data folder", "bundled.ump", fs::path(), "bundled.ump"},
    };
    fs::create_directories(data / "sub");
    for (const auto& row : rows)
        EXPECT_EQ(findCaptureFile(row.given, row.data), row.expected) << row.name;
    fs::remove("here.ump");
    fs::remove_all(data);
}

} // namespace
} // namespace umbrascope
