#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "ExpectedRows.hpp"
#include "breakdown/ProfileAttributes.hpp"

namespace umbrascope {
namespace {

using testing::Shown;
using testing::shown;

struct Case {
    const char* name;
    AttributeFields fields;
    const char* typeText;
    std::vector<Shown> subRows;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> all{
        {"ArticulationAllFieldsSet",
         orchestralArticulationFields(17, 0xE0C9),
         "Articulation Classification: Staccatos and Shorts",
         {{"", 4, "SubClass = E String Hand Tap"},
          {"", 4, "Variation = 0"},
          {"", 2, "Direction = 3 Reserved"},
          {"", 2, "Reserved"},
          {"", 1, "Reset Round Robin = 1 True"},
          {"", 3, "String = 1 First String (highest pitched)"}}},
        {"ArticulationZero",
         orchestralArticulationFields(16, 0),
         "Articulation Classification: Core Sounds – Sustains and Strikes",
         {{"", 4, "SubClass = 0 Normal Sustains & Strikes (Part 1)"},
          {"", 4, "Variation = 0"},
          {"", 2, "Direction = 0 Determined by the Receiver or Automatic"},
          {"", 2, "Reserved"},
          {"", 1, "Reset Round Robin = 0 False"},
          {"", 3, "String = 0 No String Assignment"}}},
        {"ArticulationReservedBitsIgnored",
         orchestralArticulationFields(21, 0x7A77),
         "Articulation Classification: Pitch and Dynamic Gestures",
         {{"", 4, "SubClass = 7 Grace Notes “Baroque” (Starts Above)"},
          {"", 4, "Variation = 10"},
          {"", 2, "Direction = 1 Down Stroke / Right-Hand Pizzicato or Strike"},
          {"", 2, "Reserved"},
          {"", 1, "Reset Round Robin = 0 False"},
          {"", 3, "String = 7 Other String"}}},
        {"DrumsHalfway",
         drumsNoteModelFields(0x1800),
         "Default Note Model: Gesture + Distance from Center (Drums Profile)",
         {{"", 4, "Gesture = 1 Normal Strike"},
          {"", 12, "Distance from Center = 50.01% (2048 of 4095)"}}},
        {"DrumsEdge",
         drumsNoteModelFields(0x0FFF),
         "Default Note Model: Gesture + Distance from Center (Drums Profile)",
         {{"", 4, "Gesture = 0 Hi-Hat Pedal"},
          {"", 12, "Distance from Center = 100.00% (4095 of 4095)"}}},
        {"DrumsReservedGesture",
         drumsNoteModelFields(0xF000),
         "Default Note Model: Gesture + Distance from Center (Drums Profile)",
         {{"", 4, "Gesture = 15 Reserved"}, {"", 12, "Distance from Center = 0.00% (0 of 4095)"}}},
    };
    return all;
}

class ProfileFormat : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ProfileFormat, SubRowsMostSignificantFirst) {
    const Case& c = cases()[GetParam()];
    EXPECT_EQ(c.fields.typeText, c.typeText);
    EXPECT_EQ(c.fields.dataText, "with subfields:");
    EXPECT_EQ(shown(c.fields.subRows), c.subRows);
    for (const auto& row : c.fields.subRows)
        EXPECT_TRUE(row.subRows.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, ProfileFormat, ::testing::Range<std::size_t>(0, 6),
                         [](const ::testing::TestParamInfo<std::size_t>& param) {
                             return std::string(cases()[param.param].name);
                         });

TEST(ProfileFormat, EveryDataValueFillsSixteenBits) {
    for (std::uint32_t data = 0; data <= 0xFFFF; data += 0x0111) {
        const auto d = static_cast<std::uint16_t>(data);
        for (std::uint8_t type = 16; type <= 23; ++type) {
            const auto rows = orchestralArticulationFields(type, d).subRows;
            EXPECT_EQ(std::accumulate(rows.begin(), rows.end(), std::int64_t{0},
                                      [](auto sum, const auto& row) { return sum + row.bits; }),
                      16);
        }
        const auto drums = drumsNoteModelFields(d).subRows;
        EXPECT_EQ(drums.at(0).bits + drums.at(1).bits, 16);
    }
}

struct NameCase {
    const char* name;
    std::string_view actual;
    std::string_view expected;
};

// The typographic characters and the edges of every table, which a retyped table gets wrong.
TEST(ProfileNames, TablesKeepTheirLiteralsAndFallBacks) {
    const NameCase names[] = {
        {"Detache", articulationSubClassName(16, 5), "Detach\u00E9"},
        {"Martele", articulationSubClassName(16, 7), "Martel\u00E9"},
        {"Synchronized", articulationSubClassName(16, 10), "Synchronized Vibrato"},
        {"Class16Reserved", articulationSubClassName(16, 11), "Reserved"},
        {"Sautille", articulationSubClassName(17, 6), "Sautill\u00E9"},
        {"Jete", articulationSubClassName(17, 15), "Jete"},
        {"FasterRepeats", articulationSubClassName(18, 9), "Faster Repeats"},
        {"Octave", articulationSubClassName(19, 13), "Octave"},
        {"Class19Reserved", articulationSubClassName(19, 14), "Reserved"},
        {"HarmonicsEnDash", articulationSubClassName(20, 0), "Harmonics \u2013 Natural"},
        {"Cuivre", articulationSubClassName(20, 6), "Cuivr\u00E9"},
        {"GraceQuotes", articulationSubClassName(21, 6),
         "Grace Notes \u201CClassical\u201D (Starts Below)"},
        {"SfzCrescendo", articulationSubClassName(21, 13), "Sfz Crescendo"},
        {"OtherScales", articulationSubClassName(22, 15), "Other Scales and Runs"},
        {"Click", articulationSubClassName(23, 15), "Click"},
        {"AirShortEnDash", articulationSubClassName(23, 5),
         "Air Sound, Chiffs/Squeak/Lip-Pizz \u2013 Short"},
        {"SubClassOutsideClassifications", articulationSubClassName(24, 0), "Reserved"},
        {"SubClassOutOfRange", articulationSubClassName(16, 16), "Reserved"},
        {"ClassificationEnDash", articulationClassificationName(20),
         "Additional Colors \u2013 Sustained"},
        {"ClassificationBelow", articulationClassificationName(15), "Unrecognized Classification"},
        {"ClassificationAbove", articulationClassificationName(24), "Unrecognized Classification"},
        {"DirectionUp", articulationDirectionName(2), "Up Stroke / Left-Hand Pizzicato or Strike"},
        {"DirectionOutside", articulationDirectionName(4), "Reserved"},
        {"StringSixth", articulationStringName(6), "Sixth String"},
        {"StringOutside", articulationStringName(8), "Unrecognized"},
        {"GestureRimHit", drumsGestureName(4), "Rim Hit"},
        {"GestureReserved", drumsGestureName(5), "Reserved"},
        {"GestureOutside", drumsGestureName(-1), "Reserved"},
    };
    for (const auto& n : names)
        EXPECT_EQ(n.actual, n.expected) << n.name;
}

} // namespace
} // namespace umbrascope
