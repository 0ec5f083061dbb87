#include "app/AtomicFile.hpp"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

namespace umbrascope {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::string reason(int error) {
    return std::strerror(error);
}

// A fresh name beside the target; exclusive creation ("x") refuses names that already exist, so
// two exports to the same folder never share a temporary file.
File createTemporary(const std::filesystem::path& location, std::filesystem::path& temporary,
                     int& error) {
    static std::atomic<unsigned> counter{0};
    constexpr int attempts = 100;
    for (int i = 0; i < attempts; ++i) {
        temporary = location;
        temporary += ".tmp-" + std::to_string(counter.fetch_add(1));
        errno = 0;
        if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return File(file);
        error = errno;
        if (error != EEXIST) break;
    }
    return nullptr;
}

} // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& location,
                                               std::string_view contents) {
    std::filesystem::path temporary;
    int error = 0;
    File file = createTemporary(location, temporary, error);
    if (!file)
        return "cannot create a temporary file beside " + location.string() + ": " + reason(error);

    errno = 0;
    const bool written =
        std::fwrite(contents.data(), 1, contents.size(), file.get()) == contents.size();
    error = errno;
    const bool closed = std::fclose(file.release()) == 0;
    if (!closed && error == 0) error = errno;
    std::error_code ignored;
    if (!written || !closed) {
        std::filesystem::remove(temporary, ignored);
        return "cannot write " + location.string() + ": " + reason(error ? error : EIO);
    }

    std::error_code renameError;
    std::filesystem::rename(temporary, location, renameError);
    if (renameError) {
        std::filesystem::remove(temporary, ignored);
        return "cannot replace " + location.string() + ": " + renameError.message();
    }
    return std::nullopt;
}

} // namespace umbrascope
