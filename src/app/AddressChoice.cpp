#include "app/AddressChoice.hpp"

namespace umbrascope {

std::string addressChoiceText(AddressField field, std::optional<std::uint8_t> value) {
    const AddressChoiceEntry& entry = entryFor(field);
    if (!value) return std::string(entry.all);
    return std::string(entry.each) + ' ' + std::to_string(*value + 1);
}

std::string addressChoiceHint(AddressField field) {
    const AddressChoiceEntry& entry = entryFor(field);
    return std::string("Keyboard shortcut Alt+") + mnemonicOf(field) + ". " +
           std::string(entry.hint);
}

} // namespace umbrascope
