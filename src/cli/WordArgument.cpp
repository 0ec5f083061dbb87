#include "cli/WordArgument.hpp"

namespace umbrascope::cli {

std::optional<std::uint32_t> parseWordArgument(std::string_view token) {
    if (token.starts_with("0x") || token.starts_with("0X")) token.remove_prefix(2);
    if (token.empty() || token.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (char c : token) {
        std::uint32_t digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<std::uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        else
            return std::nullopt;
        value = (value << 4) | digit;
    }
    return value;
}

} // namespace umbrascope::cli
