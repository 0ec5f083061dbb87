#include "platform/DataFiles.hpp"

#include <system_error>

namespace umbrascope {

std::filesystem::path dataFolder(const std::filesystem::path& program) {
    return program.parent_path().parent_path() / "share" / "umbrascope";
}

std::filesystem::path dataFolder() {
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || program.empty()) return {};
    return dataFolder(program);
}

std::filesystem::path findCaptureFile(const std::filesystem::path& given,
                                      const std::filesystem::path& data) {
    if (data.empty() || given.has_parent_path() || !given.has_filename()) return given;
    // A file that is there but cannot be looked at is the user's, with its own error to come.
    std::error_code error;
    if (std::filesystem::exists(given, error) || error) return given;
    const auto bundled = data / given;
    return std::filesystem::is_regular_file(bundled, error) ? bundled : given;
}

} // namespace umbrascope
