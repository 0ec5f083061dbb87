#include <gtest/gtest.h>

#include "UiTestSupport.hpp"

#include "ui/TypeColors.hpp"

namespace umbrascope {
namespace {

using test::contrastRatio;

TEST(TypeColors, EveryClassHasItsOwnColourReadableOnItsBackgroundsInBothSchemes) {
    for (const auto& [scheme, p] :
         {std::pair<const char*, const TypePalette&>{"light", lightTypePalette()},
          {"dark", darkTypePalette()}}) {
        for (const QColor& background : {p.listBackground, p.windowBackground}) {
            for (const UMPMessageType type : allMessageTypes)
                EXPECT_GE(contrastRatio(typeColor(type, p), background), 4.5)
                    << scheme << " " << displayName(type) << " on "
                    << background.name().toStdString();
            EXPECT_GE(contrastRatio(p.secondaryText, background), 4.5) << scheme << " secondary";
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
