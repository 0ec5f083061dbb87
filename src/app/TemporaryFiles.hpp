#pragma once

namespace umbrascope {

// Temporary files being written, so that an interrupted export leaves none behind: a handler of
// SIGINT, SIGTERM and SIGHUP removes every registered file, then lets the signal end the process
// as it would have. The table is fixed and read by the handler without locks or allocation.
//
// A file is named by its open folder and its name there, so that it is found even when the
// folder was renamed meanwhile. A slot for it, or -1 when the table is full or the name too long
// (that file is then not removed on a signal). The folder stays open until unregistered. Any
// thread.
int registerTemporaryFile(int folder, const char* name) noexcept;
void unregisterTemporaryFile(int slot) noexcept;

// Installed once by a front end, before any export; a signal that is ignored stays ignored.
void removeTemporaryFilesOnSignals();

} // namespace umbrascope
