#include "cli/WordArgument.hpp"

#include "core/Hex.hpp"

namespace umbrascope::cli {

std::optional<std::uint32_t> parseWordArgument(std::string_view token) {
    if (token.starts_with("0x") || token.starts_with("0X")) token.remove_prefix(2);
    return hex::parse(token);
}

} // namespace umbrascope::cli
