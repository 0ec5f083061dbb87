#include "app/AtomicFile.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <variant>

#include <fcntl.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/TemporaryFiles.hpp"

namespace umbrascope {

namespace fs = std::filesystem;

namespace {

constexpr int maxLinkHops = 40;
constexpr std::size_t keptNameBytes = 64; // of the target's name, in the temporary's
constexpr int nameAttempts = 100;

struct Target {
    fs::path file;
    std::optional<struct stat> existing;
};

std::string because(const fs::path& location, std::string_view what, int error) {
    return std::string(what) + " " + location.string() + ": " + std::strerror(error);
}

std::string notRegular(const fs::path& location) {
    return "cannot replace " + location.string() + ": not a regular file";
}

fs::path folderOf(const fs::path& file) {
    return file.has_parent_path() ? file.parent_path() : fs::path(".");
}

// The kernel's rule for links in shared folders (fs.protected_symlinks): in a folder that is
// sticky and writable by everyone, it follows a link only for the link's owner or when the
// folder's owner owns the link too. Resolving links here bypasses it, so it is applied here.
bool kernelWouldFollow(const fs::path& link, const struct stat& linkInfo) {
    if (linkInfo.st_uid == ::geteuid()) return true;
    struct stat folder {};
    if (::stat(folderOf(link).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || folder.st_uid == linkInfo.st_uid;
}

// The file behind `location`, following symbolic links one by one so that a dangling link names
// the file to create. The final object is first checked by stat(), which also sees through the
// kernel's own links (/proc/self/fd/1 to a pipe or a terminal).
std::variant<Target, std::string> resolve(const fs::path& location) {
    struct stat object {};
    if (::stat(location.c_str(), &object) == 0) {
        if (!S_ISREG(object.st_mode)) return notRegular(location);
    } else if (errno != ENOENT && errno != EACCES) { // EACCES: a link it refuses, told below
        return because(location, "cannot replace", errno);
    }
    fs::path current = location;
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT) return Target{current, std::nullopt};
            return because(location, "cannot replace", errno);
        }
        if (S_ISLNK(info.st_mode)) {
            if (!kernelWouldFollow(current, info))
                return "cannot replace " + location.string() + ": " + current.string() +
                       " is another user's link in a shared folder, which the system does "
                       "not follow";
            std::error_code error;
            const fs::path next = fs::read_symlink(current, error);
            if (error) return because(location, "cannot replace", error.value());
            current = next.is_absolute() ? next : current.parent_path() / next;
            continue;
        }
        if (!S_ISREG(info.st_mode)) return notRegular(location);
        // The rename would succeed in a writable folder; the file's own mode says whether the
        // user meant it to change (root passes access(), not a mode without write bits).
        if ((info.st_mode & 0222) == 0 ||
            ::faccessat(AT_FDCWD, current.c_str(), W_OK, AT_EACCESS) != 0)
            return "cannot replace " + location.string() + ": the file is read-only";
        return Target{current, info};
    }
    return because(location, "cannot replace", ELOOP);
}

// The process's umask without setting it (umask() would race with other threads creating files).
mode_t currentUmask() {
    std::FILE* status = std::fopen("/proc/self/status", "re");
    unsigned int mask = 022;
    if (status) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::sscanf(line, "Umask: %o", &mask) == 1) break;
        std::fclose(status);
    }
    return static_cast<mode_t>(mask & 0777);
}

std::string randomSuffix() {
    static constexpr char alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<unsigned char, 8> bytes{};
    if (::getrandom(bytes.data(), bytes.size(), GRND_NONBLOCK) !=
        static_cast<ssize_t>(bytes.size())) {
        auto mix = static_cast<std::uint64_t>(
                       std::chrono::steady_clock::now().time_since_epoch().count()) ^
                   (static_cast<std::uint64_t>(::getpid()) << 32);
        for (auto& byte : bytes) {
            byte = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005u + 1442695040888963407u;
        }
    }
    std::string suffix;
    for (const unsigned char byte : bytes)
        suffix += alphabet[byte % (sizeof alphabet - 1)];
    return suffix;
}

// Blocks the terminating signals while a temporary file is created and registered, so the
// handler never misses a file that exists.
class TerminatingSignalsBlocked {
public:
    TerminatingSignalsBlocked() {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&blocked, signal);
        pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
    }
    ~TerminatingSignalsBlocked() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    TerminatingSignalsBlocked(const TerminatingSignalsBlocked&) = delete;
    TerminatingSignalsBlocked& operator=(const TerminatingSignalsBlocked&) = delete;

private:
    sigset_t previous_;
};

} // namespace

AtomicFileWriter::AtomicFileWriter(const fs::path& location, std::stop_token stop)
    : location_(location), stop_(std::move(stop)) {
    auto resolved = resolve(location);
    if (auto* why = std::get_if<std::string>(&resolved)) {
        failure_ = std::move(*why);
        return;
    }
    const Target target = std::get<Target>(std::move(resolved));
    folder_ = ::open(folderOf(target.file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) {
        failure_ = because(location_, "cannot replace", errno);
        return;
    }
    name_ = target.file.filename().string();
    const std::string kept = name_.substr(0, keptNameBytes);

    int error = 0;
    for (int attempt = 0; attempt < nameAttempts; ++attempt) {
        temporary_ = "." + kept + "." + randomSuffix() + ".tmp";
        TerminatingSignalsBlocked blocked;
        descriptor_ =
            ::openat(folder_, temporary_.c_str(),
                     O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
        if (descriptor_ >= 0) {
            slot_ = registerTemporaryFile(folder_, temporary_.c_str());
            break;
        }
        error = errno;
        if (error != EEXIST) break;
    }
    if (descriptor_ < 0) {
        temporary_.clear();
        failure_ = because(location_, "cannot create a temporary file beside", error);
        return;
    }

    if (target.existing) {
        const struct stat& old = *target.existing;
        if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
            // Only root may give the file away; anyone may keep a group they belong to.
            if (::fchown(descriptor_, old.st_uid, old.st_gid) != 0)
                (void)::fchown(descriptor_, static_cast<uid_t>(-1), old.st_gid);
        }
        finalMode_ = old.st_mode & 07777;
    } else {
        finalMode_ = 0666 & ~currentUmask();
    }
}

AtomicFileWriter::~AtomicFileWriter() {
    if (!committed_) abandon();
    if (folder_ >= 0) ::close(folder_);
}

void AtomicFileWriter::fail(std::string why) {
    if (!failure_) failure_ = std::move(why);
    abandon();
}

bool AtomicFileWriter::stopped() {
    if (!stop_.stop_requested()) return false;
    fail("cannot replace " + location_.string() + ": interrupted, the file is as it was");
    return true;
}

void AtomicFileWriter::abandon() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
    if (!temporary_.empty()) ::unlinkat(folder_, temporary_.c_str(), 0);
    temporary_.clear();
    unregisterTemporaryFile(slot_);
    slot_ = -1;
}

bool AtomicFileWriter::write(std::string_view bytes) {
    while (!failure_ && !stopped() && !bytes.empty()) {
        const ssize_t written = ::write(descriptor_, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(because(location_, "cannot write", errno));
        } else {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        }
    }
    return !failure_;
}

std::optional<std::string> AtomicFileWriter::commit() {
    if (failure_ || stopped()) return failure_;
    if (::fsync(descriptor_) != 0) {
        fail(because(location_, "cannot write", errno));
        return failure_;
    }
    // Only now that the data are complete may others read them. After fchown, which clears
    // set-id bits.
    if (::fchmod(descriptor_, finalMode_) != 0) {
        fail(because(location_, "cannot keep the permissions of", errno));
        return failure_;
    }
    const int closed = ::close(descriptor_);
    descriptor_ = -1;
    if (closed != 0) {
        fail(because(location_, "cannot write", errno));
        return failure_;
    }
    // Whatever took the target's place while writing is refused as at the start.
    struct stat now {};
    if (::fstatat(folder_, name_.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(now.st_mode)) {
        fail(notRegular(location_));
        return failure_;
    }
    // The last moment an interruption keeps the old file.
    if (stopped()) return failure_;
    if (::renameat(folder_, temporary_.c_str(), folder_, name_.c_str()) != 0) {
        fail(because(location_, "cannot replace", errno));
        return failure_;
    }
    temporary_.clear();
    unregisterTemporaryFile(slot_);
    slot_ = -1;
    committed_ = true;
    // The rename itself lasts only once the folder is synced; a failure here loses nothing.
    (void)::fsync(folder_);
    return std::nullopt;
}

std::optional<std::string> writeFileAtomically(const fs::path& location, std::string_view contents,
                                               std::stop_token stop) {
    constexpr std::size_t piece = 64 * 1024;
    AtomicFileWriter writer(location, std::move(stop));
    while (!contents.empty() && writer.write(contents.substr(0, piece)))
        contents.remove_prefix(std::min(piece, contents.size()));
    return writer.commit();
}

std::optional<std::string> exportTargetProblem(const fs::path& location) {
    auto resolved = resolve(location);
    if (auto* why = std::get_if<std::string>(&resolved)) return std::move(*why);
    return std::nullopt;
}

} // namespace umbrascope
