#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

#include "audio/SpeechSynthesizer.hpp"
#include "cli/Commands.hpp"
#include "cli/DecodeCommand.hpp"
#include "core/Scheduler.hpp"

namespace umbrascope::cli {

struct CommandResult {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool on `args`, the command's name first. Decode reads `input` as its standard input,
// which then fails with `readError` unless it is 0.
inline CommandResult run(const std::vector<std::string>& args, std::string_view input = "",
                         int readError = 0) {
    struct Reader final : ByteReader {
        Reader(std::string_view input, int failure) : text(input), error(failure) {}
        ReadResult read(std::span<char> buffer) override {
            const ReadResult result = text.read(buffer);
            return result.size > 0 || error == 0 ? result : ReadResult{0, error};
        }
        MemoryReader text;
        int error;
    } in(input, readError);
    std::vector<std::string_view> views(args.begin(), args.end());
    std::ostringstream out, err;
    const int status = !views.empty() && views[0] == "decode"
                           ? runDecodeWithInput(Arguments(views).subspan(1), in, out, err)
                           : runCommandLine(views, out, err);
    return {status, out.str(), err.str()};
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of files that is removed again with the test.
class TempFolder {
public:
    TempFolder() {
        static int counter = 0;
        path_ =
            std::filesystem::temp_directory_path() /
            ("umbrascope-cli-test-" + std::to_string(::getpid()) + "-" + std::to_string(++counter));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string write(const std::string& name, std::string_view text) const {
        const auto file = path_ / name;
        std::ofstream(file, std::ios::binary) << text;
        return file.string();
    }

private:
    std::filesystem::path path_;
};

// Starts every utterance and ends it with `end`: at once, or, given a scheduler, after one second
// of its clock unless it is stopped first.
class ScriptedSynthesizer final : public SpeechSynthesizer {
public:
    explicit ScriptedSynthesizer(SpeechReport end, Scheduler* scheduler = nullptr)
        : end_(end), scheduler_(scheduler) {}

    void speak(const Utterance& utterance) override {
        stopSpeaking();
        report(utterance.id, SpeechReport::started);
        if (!scheduler_) return report(utterance.id, end_);
        current_ = utterance.id;
        finish_ = scheduler_->defer(std::chrono::seconds(1),
                                    [this] { report(*std::exchange(current_, {}), end_); });
    }
    void stopSpeaking() override {
        if (!current_) return;
        finish_.reset();
        report(*std::exchange(current_, {}), SpeechReport::cancelled);
    }
    std::vector<Voice> voices() const override { return {}; }
    bool hasVoice(const std::string&) const override { return false; }

private:
    SpeechReport end_;
    Scheduler* scheduler_;
    std::optional<std::uint64_t> current_;
    std::unique_ptr<ScheduledTask> finish_;
};

} // namespace umbrascope::cli
