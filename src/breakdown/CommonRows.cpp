#include "breakdown/CommonRows.hpp"

#include "model/Fields.hpp"

namespace umbrascope {

FieldRow groupRow(std::uint32_t w0, std::string hex) {
    return FieldRow::withHex(std::move(hex), "Group " + std::to_string(ump::group(w0) + 1));
}

FieldRow channelRow(std::uint32_t w0, std::string hex) {
    return FieldRow::withHex(std::move(hex), "Channel " + std::to_string(ump::channel(w0) + 1));
}

FieldRow unrecognizedStatusRow(std::string hex) {
    std::string label = "Status = 0x" + hex + " (unrecognized)";
    return FieldRow::withHex(std::move(hex), std::move(label));
}

} // namespace umbrascope
