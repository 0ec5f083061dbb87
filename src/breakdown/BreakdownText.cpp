#include "breakdown/BreakdownText.hpp"

#include "text/TerminalSafe.hpp"

namespace umbrascope {

namespace {

constexpr std::size_t hexColumn = 8;
constexpr std::size_t widthColumn = 7; // "32 bits"

void appendLine(std::string& out, const FieldRow& row, std::size_t depth) {
    out.append(4 * (depth + 1), ' ');
    out += row.hex;
    if (row.hex.size() < hexColumn) out.append(hexColumn - row.hex.size(), ' ');
    const std::string width = std::to_string(row.bits) + (row.bits == 1 ? " bit" : " bits");
    out += "  ";
    if (width.size() < widthColumn) out.append(widthColumn - width.size(), ' ');
    out += width;
    out += "  ";
    appendTerminalSafe(out, row.label);
    out += '\n';
}

} // namespace

std::string breakdownPlainLines(std::span<const FieldRow> rows) {
    std::string out;
    for (const auto& row : rows) {
        appendLine(out, row, 0);
        for (const auto& subRow : row.subRows)
            appendLine(out, subRow, 1);
    }
    return out;
}

} // namespace umbrascope
