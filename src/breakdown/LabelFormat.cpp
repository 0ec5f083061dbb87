#include "breakdown/LabelFormat.hpp"

#include <cstdarg>
#include <cstdio>

namespace umbrascope {

std::string printfText(const char* format, ...) {
    char buffer[128];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    std::string text;
    if (length < 0) {
        va_end(again);
        return text;
    }
    if (static_cast<std::size_t>(length) < sizeof buffer) {
        text.assign(buffer, static_cast<std::size_t>(length));
    } else {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, again);
    }
    va_end(again);
    return text;
}

} // namespace umbrascope
