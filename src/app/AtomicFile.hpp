#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace umbrascope {

// Replaces a file as a whole or not at all: the bytes go to a new temporary file beside the
// target, which is synced and then renamed over it.
//
// Only a regular file is replaced, or an absent one created. A symbolic link is followed to the
// file it names, which is replaced while the link stays. Any other target (a device, a folder, a
// pipe, a terminal) is refused as "not a regular file", and so is a file the user may not write.
// A replaced file keeps its permissions, and its owner and group where the process may set them.
// The temporary file has a fresh unguessable name; it is removed on every failure, when the
// writer is dropped uncommitted, and on SIGINT/SIGTERM once the front end has called
// removeTemporaryFilesOnSignals(). One writer belongs to one thread.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::filesystem::path& location);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Why the file cannot be written; once set, write() and commit() do nothing more.
    const std::optional<std::string>& failure() const { return failure_; }
    bool write(std::string_view bytes);
    // Nothing on success, else why it failed (the target is then as it was).
    std::optional<std::string> commit();

private:
    void fail(std::string why);
    void abandon();

    std::filesystem::path location_; // as given, for messages
    std::filesystem::path target_;   // the file that is replaced, links followed
    std::filesystem::path temporary_;
    int descriptor_ = -1;
    int slot_ = -1;
    bool committed_ = false;
    std::optional<std::string> failure_;
};

// Returns why it failed, or nothing.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& location,
                                               std::string_view contents);

// Why an export to `location` would be refused before anything is written (a device, a folder, a
// read-only file), so that a long run can stop before its work rather than after it.
std::optional<std::string> exportTargetProblem(const std::filesystem::path& location);

} // namespace umbrascope
