#include <ostream>

#include "cli/Commands.hpp"

namespace umbrascope::cli {

int runDecode(Arguments, std::ostream&, std::ostream& err) {
    err << "umbrascope-cli decode: not built yet\n";
    return 1;
}

} // namespace umbrascope::cli
