#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "breakdown/FieldRow.hpp"

// The attribute formats of MIDI-CI Profiles that split a Note On / Note Off's 16 attribute data
// bits into named sub-fields, and their fixed name tables.
namespace umbrascope {

// What a Note On / Note Off shows for its attribute: the type text, the data text, and the
// sub-rows of the attribute data row (empty hex, widths adding up to 16, most significant first).
struct AttributeFields {
    std::string typeText;
    std::string dataText;
    std::vector<FieldRow> subRows;
};

// Orchestral Articulation Profile, attribute types 16 to 23.
AttributeFields orchestralArticulationFields(std::uint8_t attributeType, std::uint16_t data);
// Drums Profile default note model, attribute type 32.
AttributeFields drumsNoteModelFields(std::uint16_t data);

// Name tables; a key outside a table gives that table's fall-back text.
std::string_view articulationClassificationName(int attributeType);
std::string_view articulationSubClassName(int attributeType, int subClass);
std::string_view articulationDirectionName(int direction);
std::string_view articulationStringName(int string);
std::string_view drumsGestureName(int gesture);

} // namespace umbrascope
