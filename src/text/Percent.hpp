#pragma once

// Shares in per cent, for every text that shows or speaks one. A range narrower than 1 gives 0,
// so the result is always finite.
namespace umbrascope::text {

constexpr double percentOf(double value, double maximum) {
    return maximum < 1 ? 0.0 : value / maximum * 100.0;
}

// How far from the centre toward the end on that side.
constexpr double percentBelowCentre(double value, double centre) {
    return centre < 1 ? 0.0 : (centre - value) / centre * 100.0;
}
constexpr double percentAboveCentre(double value, double centre, double maximum) {
    return maximum - centre < 1 ? 0.0 : (value - centre) / (maximum - centre) * 100.0;
}

} // namespace umbrascope::text
