#pragma once

namespace umbrascope {

// Screen-reader interfaces for the sheets' own widgets: a breakdown row is one list item named
// by its texts, and their column is a list of them. Installs once; main thread only.
void installSheetAccessibles();

} // namespace umbrascope
