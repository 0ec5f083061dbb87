#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace umbrascope {

// The window's two pickers that show one group or one channel. Each is a picker, a mnemonic, an
// announcement and a line of the guide; all of them read this table.
enum class AddressField { channel, group };
inline constexpr std::size_t addressFieldCount = 2;
// Groups and channels are 0 to 15 on the wire, said and shown as 1 to 16.
inline constexpr int addressValueCount = 16;

struct AddressChoiceEntry {
    AddressField field;
    std::string_view all;  // the first choice, and what is said when it is chosen
    std::string_view each; // before the number ("Channel 10"); the picker's label, whose first
                           // letter with Alt focuses the picker
    std::string_view name; // for screen readers
    std::string_view hint;
};

// Indexed by AddressField, in the window's order.
inline constexpr std::array<AddressChoiceEntry, addressFieldCount> addressChoices{{
    {AddressField::channel, "All channels", "Channel", "Channel filter",
     "Shows only the messages of one MIDI channel; messages without a channel always show"},
    {AddressField::group, "All groups", "Group", "Group filter",
     "Shows only the messages of one group; messages without a group always show"},
}};

constexpr const AddressChoiceEntry& entryFor(AddressField field) {
    return addressChoices[static_cast<std::size_t>(field)];
}

constexpr char mnemonicOf(AddressField field) {
    return entryFor(field).each[0];
}

// "All channels", or "Channel 10" for the wire's 9.
std::string addressChoiceText(AddressField field, std::optional<std::uint8_t> value);

// The screen reader's hint: how to reach the picker, then what it does.
std::string addressChoiceHint(AddressField field);

} // namespace umbrascope
