#include "app/SpeechLogFile.hpp"

#include <cerrno>
#include <cstring>

namespace umbrascope {

namespace {

std::string cannotWrite(const std::filesystem::path& path) {
    return "cannot write the speech log '" + path.string() + "'";
}

} // namespace

SpeechLogFile::SpeechLogFile(const std::filesystem::path& path) : path_(path) {
    errno = 0;
    out_.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!out_) {
        const int error = errno;
        throw SpeechLogFileError(cannotWrite(path) +
                                 (error != 0 ? std::string(": ") + std::strerror(error) : ""));
    }
}

SpeechLogFile::~SpeechLogFile() {
    close();
}

void SpeechLogFile::attach(SpeechAnnouncer& announcer, const Clock& clock,
                           std::function<void(const std::string&)> writeFailed) {
    if (log_) return;
    std::function<void()> failed;
    if (writeFailed)
        failed = [this, writeFailed = std::move(writeFailed)] {
            const int error = errno; // of the flush that failed
            writeFailed(cannotWrite(path_) +
                        (error != 0 ? std::string(": ") + std::strerror(error) : ""));
        };
    log_.emplace(announcer, out_, clock, std::move(failed));
    log_->setUnheardCheck(whyUnheard_);
}

void SpeechLogFile::setUnheardCheck(std::function<std::string()> whyUnheard) {
    whyUnheard_ = std::move(whyUnheard);
    if (log_) log_->setUnheardCheck(whyUnheard_);
}

std::optional<std::string> SpeechLogFile::close() {
    log_.reset();
    if (out_.is_open()) out_.close();
    if (out_.fail()) return cannotWrite(path_);
    return std::nullopt;
}

std::unique_ptr<SpeechLogFile>
attachSpeechLog(SpeechAnnouncer& announcer, const std::filesystem::path& path, const Clock& clock) {
    auto file = std::make_unique<SpeechLogFile>(path);
    file->attach(announcer, clock);
    return file;
}

} // namespace umbrascope
