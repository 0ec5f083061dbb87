#include <gtest/gtest.h>

#include <sstream>

#include "CliTestSupport.hpp"
#include "audio/SilentOutput.hpp"
#include "cli/SaySpeech.hpp"

namespace umbrascope::cli {
namespace {

TEST(SayThrough, ExitsNonZeroWithOneLineWhenNothingWasHeard) {
    using R = SpeechReport;
    using B = platform::SpeechBackend;
    const struct {
        const char* name;
        SpeechReport end;
        platform::SpeechBackend backend;
        bool deviceOpens;
        int status;
        std::string err;
    } rows[] = {
        {"heard", R::finished, B::espeak, true, 0, ""},
        {"espeakWithoutADevice", R::finished, B::espeak, false, 1,
         "umbrascope-cli say: nothing was heard: no audio output was built in\n"},
        {"silentByDefault", R::finished, B::none, true, 1,
         "umbrascope-cli say: nothing was heard: speech is silent\n"},
        {"failedChosenByName", R::failed, B::speechd, true, 1,
         "umbrascope-cli say: nothing was spoken: the speech backend did not finish it (has it "
         "an audio output?)\n"},
    };
    for (const auto& row : rows) {
        ManualQueue queue;
        platform::SpeechSetup setup{
            std::make_unique<AudioEngine>(row.deviceOpens ? std::make_unique<SilentOutput>()
                                                          : nullptr),
            std::make_unique<ScriptedSynthesizer>(row.end), row.backend, nullptr, nullptr};
        std::ostringstream err;
        EXPECT_EQ(sayThrough(setup, queue, {"Note On C4", {}, {}, {}, false, nullptr, {}}, err),
                  row.status)
            << row.name;
        EXPECT_EQ(err.str(), row.err) << row.name;
    }
}

// Silence chosen by name is what was wanted: the command succeeds, with its log line.
TEST(SayCommand, WithoutSpeechReturnsOnceSaidAndLogged) {
    TempFolder folder;
    const std::string log = folder.write("speech.log", "old\n");
    const auto result =
        run({"say", "Note On C4", "--speech", "none", "--rate", "0.6", "--speech-log", log});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "Speech: silent, as asked\n");
    std::istringstream lines(readFile(log));
    std::vector<std::string> withoutTimes;
    for (std::string line; std::getline(lines, line);)
        withoutTimes.push_back(line.substr(std::min(line.find(' '), line.size())));
    const std::string fields = " source=0 voice=default rate=0.60 volume=1.00 \"Note On C4\"";
    EXPECT_EQ(withoutTimes,
              (std::vector<std::string>{" handed-over" + fields, " spoken" + fields}));
}

} // namespace
} // namespace umbrascope::cli
