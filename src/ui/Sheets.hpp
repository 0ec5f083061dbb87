#pragma once

#include "app/ContentView.hpp"

class QDialog;
class QWidget;

namespace umbrascope {

// Each opens a window-modal dialog of ours parented to `window`, showing what `view` holds;
// closing it (Close, Done, Escape) calls the matching ContentView close operation. Returns
// the dialog (deleted on close).
QDialog* openBreakdownSheet(ContentView& view, QWidget* window);
QDialog* openDeviceSettingsSheet(ContentView& view, QWidget* window);
QDialog* openUserGuideSheet(ContentView& view, QWidget* window);

} // namespace umbrascope
