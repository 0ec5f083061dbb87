#pragma once

#include <QColor>
#include <QPalette>
#include <array>

#include "model/UMPMessageType.hpp"

namespace umbrascope {

// The colours of the message classes for one desktop colour scheme, with the backgrounds they are
// chosen for: every colour, the secondary text included, keeps a contrast of at least 4.5:1
// against both.
struct TypePalette {
    QColor listBackground;
    QColor windowBackground;
    QColor secondaryText;
    std::array<QColor, allMessageTypes.size()> typeColors; // in allMessageTypes order
};

const TypePalette& lightTypePalette();
const TypePalette& darkTypePalette();

// Qt 6.4 has no colour-scheme query: a dark window colour means a dark scheme.
bool isDarkScheme(const QPalette& palette);
// The palette of the application's current scheme.
const TypePalette& currentTypePalette();

QColor typeColor(UMPMessageType type, const TypePalette& palette);
inline QColor typeColor(UMPMessageType type) {
    return typeColor(type, currentTypePalette());
}

} // namespace umbrascope
