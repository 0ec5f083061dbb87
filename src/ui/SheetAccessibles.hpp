#pragma once

namespace umbrascope {

// Screen-reader interfaces for the sheets' own widgets: a breakdown row is one list item named
// by its texts, their column is a list, the pan slider gives its pan text as its value, and the
// home page link is a link. Installs once; main thread only.
void installSheetAccessibles();

} // namespace umbrascope
