#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "cli/Commands.hpp"

namespace umbrascope::cli {

struct CommandResult {
    int status;
    std::string out;
    std::string err;
};

template <typename Run>
CommandResult runCommand(Run run, const std::vector<std::string>& args) {
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    const int status = run(Arguments(views), out, err);
    return {status, out.str(), err.str()};
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of files that is removed again with the test.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        path_ =
            std::filesystem::temp_directory_path() /
            ("umbrascope-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string write(const std::string& name, std::string_view text) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

} // namespace umbrascope::cli
