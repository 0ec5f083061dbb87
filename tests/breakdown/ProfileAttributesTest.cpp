#include <gtest/gtest.h>

#include <string>

#include "ExpectedRows.hpp"
#include "breakdown/ProfileAttributes.hpp"

namespace umbrascope {
namespace {

std::string widthsAndLabels(const AttributeFields& fields) {
    std::string text = fields.typeText + " / " + fields.dataText;
    for (const auto& row : fields.subRows)
        text += " / " + std::to_string(row.bits) + (row.hex.empty() ? " " : " hex ") + row.label;
    return text;
}

struct Case {
    const char* name;
    AttributeFields fields;
    const char* expected;
};

TEST(ProfileFormats, SubRowsMostSignificantFirst) {
    const Case cases[] = {
        {"ArticulationAllFields", orchestralArticulationFields(17, 0xE0C9),
         "Articulation Classification: Staccatos and Shorts / with subfields: / 4 SubClass = E "
         "String Hand Tap / 4 Variation = 0 / 2 Direction = 3 Reserved / 2 Reserved / 1 Reset "
         "Round Robin = 1 True / 3 String = 1 First String (highest pitched)"},
        {"ArticulationReservedBitsIgnored", orchestralArticulationFields(21, 0x7A77),
         "Articulation Classification: Pitch and Dynamic Gestures / with subfields: / 4 SubClass = "
         "7 Grace Notes “Baroque” (Starts Above) / 4 Variation = 10 / 2 Direction = 1 Down Stroke "
         "/ "
         "Right-Hand Pizzicato or Strike / 2 Reserved / 1 Reset Round Robin = 0 False / 3 String = "
         "7 Other String"},
        {"DrumsHalfway", drumsNoteModelFields(0x1800),
         "Default Note Model: Gesture + Distance from Center (Drums Profile) / with subfields: / 4 "
         "Gesture = 1 Normal Strike / 12 Distance from Center = 50.01% (2048 of 4095)"},
        {"DrumsEdge", drumsNoteModelFields(0x0FFF),
         "Default Note Model: Gesture + Distance from Center (Drums Profile) / with subfields: / 4 "
         "Gesture = 0 Hi-Hat Pedal / 12 Distance from Center = 100.00% (4095 of 4095)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(widthsAndLabels(c.fields), c.expected) << c.name;
}

// The typographic characters and the edges of every table, which a retyped table gets wrong.
TEST(ProfileNames, LiteralsAndFallBacks) {
    const std::pair<std::string_view, std::string_view> names[] = {
        {articulationSubClassName(16, 5), "Detach\u00E9"},
        {articulationSubClassName(16, 11), "Reserved"},
        {articulationSubClassName(21, 6), "Grace Notes \u201CClassical\u201D (Starts Below)"},
        {articulationSubClassName(23, 5), "Air Sound, Chiffs/Squeak/Lip-Pizz \u2013 Short"},
        {articulationSubClassName(24, 0), "Reserved"},
        {articulationSubClassName(16, 16), "Reserved"},
        {articulationClassificationName(15), "Unrecognized Classification"},
        {articulationClassificationName(24), "Unrecognized Classification"},
        {articulationDirectionName(4), "Reserved"},
        {articulationStringName(8), "Unrecognized"},
        {drumsGestureName(5), "Reserved"},
        {drumsGestureName(-1), "Reserved"},
    };
    for (const auto& [actual, expected] : names)
        EXPECT_EQ(actual, expected);
}

} // namespace
} // namespace umbrascope
