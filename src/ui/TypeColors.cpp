#include "ui/TypeColors.hpp"

#include <QGuiApplication>

namespace umbrascope {

namespace {

constexpr std::size_t indexOf(UMPMessageType type) {
    for (std::size_t i = 0; i < allMessageTypes.size(); ++i)
        if (allMessageTypes[i] == type) return i;
    return allMessageTypes.size() - 1;
}

// Listed in allMessageTypes order: utility gray, system purple, MIDI 1.0 orange, data64 green,
// MIDI 2.0 blue, data128 teal, Flex Data pink, UMP Stream indigo, unknown red.
const TypePalette light{
    QColor(0xFF, 0xFF, 0xFF),
    QColor(0xEF, 0xEF, 0xEF),
    QColor(0x5E, 0x5E, 0x63),
    {QColor(0x63, 0x63, 0x66), QColor(0x89, 0x44, 0xAB), QColor(0xA3, 0x4F, 0x00),
     QColor(0x1C, 0x76, 0x32), QColor(0x00, 0x58, 0xC4), QColor(0x00, 0x6F, 0x75),
     QColor(0xC0, 0x24, 0x5C), QColor(0x4B, 0x44, 0xC4), QColor(0xC4, 0x22, 0x1A)},
};

const TypePalette dark{
    QColor(0x1E, 0x1E, 0x1E),
    QColor(0x32, 0x32, 0x32),
    QColor(0xA8, 0xA8, 0xAE),
    {QColor(0xAE, 0xAE, 0xB2), QColor(0xD3, 0x8C, 0xFF), QColor(0xFF, 0xA9, 0x4D),
     QColor(0x52, 0xD1, 0x6B), QColor(0x64, 0xAA, 0xFF), QColor(0x5C, 0xCF, 0xDB),
     QColor(0xFF, 0x7A, 0xAE), QColor(0xA2, 0x9E, 0xFF), QColor(0xFF, 0x70, 0x66)},
};

} // namespace

const TypePalette& lightTypePalette() {
    return light;
}

const TypePalette& darkTypePalette() {
    return dark;
}

bool isDarkScheme(const QPalette& palette) {
    return palette.color(QPalette::Active, QPalette::Window).lightnessF() < 0.5;
}

const TypePalette& currentTypePalette() {
    return isDarkScheme(QGuiApplication::palette()) ? dark : light;
}

QColor typeColor(UMPMessageType type, const TypePalette& palette) {
    return palette.typeColors[indexOf(type)];
}

} // namespace umbrascope
