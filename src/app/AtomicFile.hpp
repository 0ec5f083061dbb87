#pragma once

#include <filesystem>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace umbrascope {

// Replaces a file as a whole or not at all: the bytes go to a new temporary file beside the
// target, which is synced and then renamed over it.
//
// Only a regular file is replaced, or an absent one created. A symbolic link is followed to the
// file it names, which is replaced while the link stays, but only where the kernel itself would
// follow it: not a link of another user in a shared sticky folder such as /tmp (unless that user
// owns the folder). Any other target (a device, a folder, a pipe, a terminal) is refused as "not a
// regular file", and so is a file the user may not write.
//
// The temporary file is readable by its owner alone until the data are complete; the replaced
// file's permissions (or, for a new file, those the umask gives) come only then, with its owner
// and group where the process may set them. It has a fresh unguessable name in the target's
// folder, which the writer holds open, so it is found even when the folder is renamed meanwhile;
// it is removed on every failure, when the writer is dropped uncommitted, when `stop` is
// requested, and on SIGINT/SIGTERM once the front end has called removeTemporaryFilesOnSignals().
// One writer belongs to one thread.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::filesystem::path& location, std::stop_token stop = {});
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
    bool stopped();
    void abandon();

    std::filesystem::path location_; // as given, for messages
    std::stop_token stop_;
    int folder_ = -1;  // of the file that is replaced, links followed
    std::string name_; // of that file in the folder
    std::string temporary_;
    int descriptor_ = -1;
    int slot_ = -1;
    mode_t finalMode_ = 0;
    bool committed_ = false;
    std::optional<std::string> failure_;
};

// Returns why it failed, or nothing. Written in pieces, so that a stop request ends a long write
// early, with the target as it was.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& location,
                                               std::string_view contents,
                                               std::stop_token stop = {});

// Why an export to `location` would be refused before anything is written (a device, a folder, a
// read-only file), so that a long run can stop before its work rather than after it.
std::optional<std::string> exportTargetProblem(const std::filesystem::path& location);

} // namespace umbrascope
