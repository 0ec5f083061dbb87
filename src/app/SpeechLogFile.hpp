#pragma once

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/SpeechLog.hpp"
#include "audio/SpeechAnnouncer.hpp"
#include "core/Clock.hpp"

namespace umbrascope {

// A file that cannot be opened for the log: what() names it and why, such as
// "cannot write the speech log '/tmp/x/log.txt': No such file or directory".
class SpeechLogFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A speech log streamed to a file: the file is created or emptied when opened and each line is
// flushed to it as it is written, so a run that ends early keeps every line whose outcome was
// known. A pipe or a terminal works as well, to follow speech as it happens.
//
// Main thread only. Open it before the announcer exists when the file must be checked first.
class SpeechLogFile {
public:
    // Throws SpeechLogFileError.
    explicit SpeechLogFile(const std::filesystem::path& path);
    ~SpeechLogFile();
    SpeechLogFile(const SpeechLogFile&) = delete;
    SpeechLogFile& operator=(const SpeechLogFile&) = delete;

    // Logs what `announcer` is asked to say from now on; once. The clock must outlive the log.
    // `writeFailed` is told once, with why, when a line cannot be written; it must not speak
    // through `announcer` before returning.
    void attach(SpeechAnnouncer& announcer, const Clock& clock = SystemClock::instance(),
                std::function<void(const std::string&)> writeFailed = {});
    // Why what is played now is not heard, or empty; see SpeechLog.
    void setUnheardCheck(std::function<std::string()> whyUnheard);
    // Ends the log: requests still under way are written as cut off. Nothing when every line
    // reached the file, else why not.
    std::optional<std::string> close();

private:
    std::filesystem::path path_;
    std::ofstream out_;
    std::optional<SpeechLog> log_;
    std::function<std::string()> whyUnheard_;
};

// What a front end calls for `--speech-log FILE`: opens the file and logs `announcer` to it until
// the returned log goes. Throws SpeechLogFileError.
std::unique_ptr<SpeechLogFile> attachSpeechLog(SpeechAnnouncer& announcer,
                                               const std::filesystem::path& path,
                                               const Clock& clock = SystemClock::instance());

} // namespace umbrascope
