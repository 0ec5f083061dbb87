#pragma once

class QAccessibleInterface;
class QObject;

namespace umbrascope {

// Screen-reader interfaces for the sheets' own widgets: a breakdown row is one list item named
// by its texts, their column is a list, the pan slider gives its pan text as its value, and the
// home page link is a link. Each is made by the one factory (installAccessibleViews) for an
// object of its own class; main thread only.
QAccessibleInterface* makeFieldRowAccessible(QObject* row);
QAccessibleInterface* makeFieldListAccessible(QObject* list);
QAccessibleInterface* makePanSliderAccessible(QObject* slider);
QAccessibleInterface* makeLinkAccessible(QObject* link);

} // namespace umbrascope
