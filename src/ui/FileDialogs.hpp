#pragma once

#include <QString>

#include "app/CaptureFiles.hpp"

class QWidget;

namespace umbrascope {

// The window's file dialogs: ours (not the platform's), window-modal, parented to `window` so
// that its key commands reach them, one of a kind at a time (asking again brings it to the front
// and answers the new asking as cancelled). Each is answered exactly once, on the main thread.
AskForExportLocation csvSaveAsker(QWidget* window);
AskForExportLocation captureSaveAsker(QWidget* window);
// With a "Play at once" check box under the file list.
AskForCaptureToOpen captureOpenAsker(QWidget* window);

} // namespace umbrascope
