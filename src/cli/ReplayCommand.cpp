#include <ostream>

#include "cli/Commands.hpp"

namespace umbrascope::cli {

int runReplay(Arguments, std::ostream&, std::ostream& err) {
    err << "umbrascope-cli replay: not built yet\n";
    return 1;
}

} // namespace umbrascope::cli
