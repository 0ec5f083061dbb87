#include <gtest/gtest.h>

#include <string>

#include "text/Formatters.hpp"

namespace umbrascope {
namespace {

struct NoteCase {
    const char* name;
    int note;
    const char* display;
    const char* spoken;
};

class NoteNames : public testing::TestWithParam<NoteCase> {};

TEST_P(NoteNames, DisplayAndSpoken) {
    const auto& c = GetParam();
    EXPECT_EQ(noteDisplayName(c.note), c.display);
    EXPECT_EQ(noteName(c.note), c.spoken);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Boundaries, NoteNames,
                         testing::Values(NoteCase{"lowest", 0, "C-1 (0)", "C-1"},
                                         NoteCase{"sharpBelowZeroOctave", 1, "C#-1 (1)", "C sharp -1"},
                                         NoteCase{"octaveZero", 12, "C0 (12)", "C0"},
                                         NoteCase{"cSharp", 61, "C#4 (61)", "C sharp 4"},
                                         NoteCase{"highest", 127, "G9 (127)", "G9"},
                                         NoteCase{"justAbove", 128, "note 128", "note 128"}),
                         [](const auto& row) { return std::string(row.param.name); });
// clang-format on

struct CentredCase {
    const char* name;
    double value, centre, maximum;
    const char* percent;
    const char* pan;
};

class Centred : public testing::TestWithParam<CentredCase> {};

TEST_P(Centred, PercentAndPan) {
    const auto& c = GetParam();
    EXPECT_EQ(centeredPercent(c.value, c.centre, c.maximum), c.percent);
    EXPECT_EQ(panDisplayText(c.value, c.centre, c.maximum), c.pan);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Boundaries, Centred,
    testing::Values(CentredCase{"centre7", 64, 64, 127, "Center", "Center"},
                    CentredCase{"bottom7", 0, 64, 127, "-100.00%", "Left 100.00%"},
                    CentredCase{"top7", 127, 64, 127, "+100.00%", "Right 100.00%"},
                    CentredCase{"oneAbove7", 65, 64, 127, "+1.59%", "Right 1.59%"},
                    CentredCase{"oneBelow7", 63, 64, 127, "-1.56%", "Left 1.56%"},
                    // Degenerate ranges give zero instead of dividing by zero.
                    CentredCase{"noRoomAbove", 5, 3, 3.5, "+0.00%", "Right 0.00%"},
                    CentredCase{"centreBelowOne", 0, 0.5, 1, "-0.00%", "Left 0.00%"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

} // namespace
} // namespace umbrascope
