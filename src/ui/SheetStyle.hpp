#pragma once

#include <QColor>
#include <QFont>

class QFrame;
class QLabel;
class QWidget;

namespace umbrascope::sheet {

// The text styles of the sheets, derived from a widget's own font (the body style): sizes are
// relative to it so that the desktop's font setting scales every sheet.
QFont sizedFont(const QFont& body, double delta, bool bold = false);
QFont headlineFont(const QFont& body);
QFont captionFont(const QFont& body);
QFont caption2Font(const QFont& body);
// The desktop's fixed-pitch face at the body size plus `delta` points.
QFont monospacedFont(const QFont& body, double delta = 0);

// The colour of secondary text in the current colour scheme.
QColor secondaryColor();

// A one-pixel horizontal rule, in the sheets and the main window alike.
QFrame* divider(QWidget* parent);
// A label in the secondary colour.
QLabel* secondaryLabel(const QString& text, const QFont& font, QWidget* parent);

} // namespace umbrascope::sheet
