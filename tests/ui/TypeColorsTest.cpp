#include <cmath>
#include <gtest/gtest.h>

#include "ui/TypeColors.hpp"

namespace umbrascope {
namespace {

// WCAG 2 relative luminance and contrast ratio.
double luminance(const QColor& color) {
    const auto channel = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST(TypeColors, EveryClassHasItsOwnColourReadableOnItsBackgroundsInBothSchemes) {
    for (const auto& [scheme, p] :
         {std::pair<const char*, const TypePalette&>{"light", lightTypePalette()},
          {"dark", darkTypePalette()}}) {
        for (const QColor& background : {p.listBackground, p.windowBackground}) {
            for (const UMPMessageType type : allMessageTypes)
                EXPECT_GE(contrast(typeColor(type, p), background), 4.5)
                    << scheme << " " << displayName(type) << " on "
                    << background.name().toStdString();
            EXPECT_GE(contrast(p.secondaryText, background), 4.5) << scheme << " secondary";
        }
        for (std::size_t i = 0; i < allMessageTypes.size(); ++i)
            for (std::size_t j = i + 1; j < allMessageTypes.size(); ++j)
                EXPECT_NE(typeColor(allMessageTypes[i], p), typeColor(allMessageTypes[j], p))
                    << scheme << " " << displayName(allMessageTypes[i]) << " / "
                    << displayName(allMessageTypes[j]);
    }
}

TEST(TypeColors, TheSchemeFollowsTheWindowColour) {
    for (const auto& [window, dark] : {std::pair{QColor(0xEF, 0xEF, 0xEF), false},
                                       {QColor(0x2B, 0x2B, 0x2B), true},
                                       {QColor(0x80, 0x80, 0x80), false}}) {
        QPalette palette;
        palette.setColor(QPalette::Window, window);
        EXPECT_EQ(isDarkScheme(palette), dark) << window.name().toStdString();
    }
}

} // namespace
} // namespace umbrascope
