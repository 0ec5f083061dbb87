#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "app/DeviceSettingsText.hpp"

namespace umbrascope {
namespace {

struct PanCase {
    const char* name;
    float pan;
    const char* label;
};

class PanLabel : public testing::TestWithParam<PanCase> {};

TEST_P(PanLabel, ReadsAsTheSliderStands) {
    EXPECT_EQ(panLabel(GetParam().pan), GetParam().label);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Pans, PanLabel,
    testing::Values(
        PanCase{"zero", 0.0f, "Center"},
        PanCase{"negativeZero", -0.0f, "Center"},
        PanCase{"justInsideLeft", -0.049f, "Center"},
        PanCase{"thresholdLeft", -0.05f, "5% Left"},
        PanCase{"half", -0.5f, "50% Left"},
        PanCase{"truncated", 0.999f, "99% Right"},
        PanCase{"fullLeft", -1.0f, "100% Left"},
        // In double this would truncate one lower (28.99999...).
        PanCase{"floatProductRight", 0.29f, "29% Right"},
        // Beyond the slider's range: never undefined, read as the end the mixer clamps to.
        PanCase{"beyondLeft", -2.5f, "100% Left"},
        PanCase{"notANumber", std::numeric_limits<float>::quiet_NaN(), "Center"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

} // namespace
} // namespace umbrascope
