#pragma once

namespace umbrascope {

// Temporary files being written, so that an interrupted export leaves none behind: a handler of
// SIGINT, SIGTERM and SIGHUP removes every registered file, then lets the signal end the process
// as it would have. The table is fixed and read by the handler without locks or allocation.
//
// A slot for `path`, or -1 when the table is full or the path too long (that file is then not
// removed on a signal). Any thread.
int registerTemporaryFile(const char* path) noexcept;
void unregisterTemporaryFile(int slot) noexcept;

// Installed once by a front end, before any export; a signal that is ignored stays ignored.
void removeTemporaryFilesOnSignals();

} // namespace umbrascope
