#include "breakdown/ValueText.hpp"

#include "model/StatusCodes.hpp"
#include "text/Percent.hpp"
#include "text/TextAppend.hpp"

namespace umbrascope {

// The same appenders as the descriptions, so "%.2f" rounds alike in both.

std::string fixed2(double value) {
    std::string text;
    text::appendFixed2(text, value);
    return text;
}

std::string valueOf127(std::uint32_t value) {
    std::string text;
    text::appendValuePercent(text, value, ump::ranges::max7);
    return text;
}

std::string valueOf32Bits(std::uint32_t value) {
    std::string text;
    text::appendValuePercent(text, value, ump::ranges::max32);
    return text;
}

std::string percentOf16Bits(std::uint32_t value) {
    std::string text;
    text::appendFixed2(text, text::percentOf(value, ump::ranges::max16));
    text += '%';
    return text;
}

} // namespace umbrascope
