#include <gtest/gtest.h>

#include <string>

#include "text/Formatters.hpp"

namespace umbrascope {
namespace {

TEST(NoteNames, DisplayAndSpokenAtTheBoundaries) {
    const struct {
        const char* name;
        int note;
        const char* display;
        const char* spoken;
    } cases[] = {
        {"lowest", 0, "C-1 (0)", "C-1"},     {"sharpBelowZeroOctave", 1, "C#-1 (1)", "C sharp -1"},
        {"octaveZero", 12, "C0 (12)", "C0"}, {"cSharp", 61, "C#4 (61)", "C sharp 4"},
        {"highest", 127, "G9 (127)", "G9"},  {"justAbove", 128, "note 128", "note 128"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(noteDisplayName(c.note), c.display) << c.name;
        EXPECT_EQ(noteName(c.note), c.spoken) << c.name;
    }
}

TEST(Centred, PercentAndPanAtTheBoundaries) {
    const struct {
        const char* name;
        double value, centre, maximum;
        const char* percent;
        const char* pan;
    } cases[] = {
        {"centre7", 64, 64, 127, "Center", "Center"},
        {"bottom7", 0, 64, 127, "-100.00%", "Left 100.00%"},
        {"top7", 127, 64, 127, "+100.00%", "Right 100.00%"},
        {"oneAbove7", 65, 64, 127, "+1.59%", "Right 1.59%"},
        {"oneBelow7", 63, 64, 127, "-1.56%", "Left 1.56%"},
        // Degenerate ranges give zero instead of dividing by zero.
        {"noRoomAbove", 5, 3, 3.5, "+0.00%", "Right 0.00%"},
        {"centreBelowOne", 0, 0.5, 1, "-0.00%", "Left 0.00%"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(centeredPercent(c.value, c.centre, c.maximum), c.percent) << c.name;
        EXPECT_EQ(panDisplayText(c.value, c.centre, c.maximum), c.pan) << c.name;
    }
}

TEST(GroupedNumber, ThousandsSetApart) {
    const struct {
        std::uint64_t value;
        const char* text;
    } cases[] = {{0, "0"},
                 {999, "999"},
                 {1000, "1,000"},
                 {1204, "1,204"},
                 {100000, "100,000"},
                 {1234567, "1,234,567"},
                 {18446744073709551615ULL, "18,446,744,073,709,551,615"}};
    for (const auto& c : cases)
        EXPECT_EQ(groupedNumber(c.value), c.text) << c.value;
}

} // namespace
} // namespace umbrascope
