#pragma once

namespace umbrascope {

// Screen-reader interfaces for the sheets' own widgets: a breakdown row is one list item named
// by its texts, their column is a list, and the pan slider gives its pan text as its value.
// Installs once; main thread only.
void installSheetAccessibles();

} // namespace umbrascope
