#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string_view>
#include <vector>

#include "app/TemporaryFiles.hpp"
#include "cli/Commands.hpp"

int main(int argc, char** argv) {
    umbrascope::removeTemporaryFilesOnSignals();
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const int status = umbrascope::cli::runCommandLine(args, std::cout, std::cerr);

    // A full disk or a closed pipe shows only when the last buffer is flushed. std::cout writes
    // through stdout (synced with stdio), whose flush is the one that can fail.
    errno = 0;
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    std::cout.flush();
    if (!flushed || std::ferror(stdout) || !std::cout) {
        // An earlier failed write leaves no reason behind, only the error flag.
        if (!flushed && error != 0)
            std::fprintf(stderr, "umbrascope-cli: cannot write the output: %s\n",
                         std::strerror(error));
        else
            std::fputs("umbrascope-cli: cannot write the output\n", stderr);
        return status != 0 ? status : 1;
    }
    return status;
}
