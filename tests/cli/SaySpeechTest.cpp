#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "audio/SilentSynthesizer.hpp"
#include "cli/SaySpeech.hpp"

namespace umbrascope::cli {
namespace {

// Begins every utterance and ends it as told: finished, as one that was heard, or failed, as a
// daemon without audio does.
class ScriptedSynthesizer final : public SpeechSynthesizer {
public:
    explicit ScriptedSynthesizer(SpeechReport end) : end_(end) {}
    void speak(const Utterance& utterance) override {
        report(utterance.id, SpeechReport::started);
        report(utterance.id, end_);
    }
    void stopSpeaking() override {}
    std::vector<Voice> voices() const override { return {}; }
    bool hasVoice(const std::string&) const override { return false; }

private:
    SpeechReport end_;
};

class Output final : public AudioOutput {
public:
    explicit Output(bool opens) : opens_(opens) {}
    bool start(Mixer&) override { return opens_; }
    void stop() override {}
    std::string problem() const override { return opens_ ? "" : "no device here"; }

private:
    bool opens_;
};

using MakeSetup = std::function<platform::SpeechSetup(MainQueue&)>;

MakeSetup with(std::function<std::unique_ptr<SpeechSynthesizer>()> make, std::string backend,
               bool deviceOpens = true) {
    return [=](MainQueue&) {
        return platform::SpeechSetup{
            std::make_unique<AudioEngine>(std::make_unique<Output>(deviceOpens)), make(), backend,
            nullptr};
    };
}

std::unique_ptr<SpeechSynthesizer> heard() {
    return std::make_unique<ScriptedSynthesizer>(SpeechReport::finished);
}
std::unique_ptr<SpeechSynthesizer> silent() {
    return std::make_unique<SilentSynthesizer>();
}

TEST(SayThrough, ExitsNonZeroWithOneLineWhenNothingWasHeard) {
    const auto failing = [] { return std::make_unique<ScriptedSynthesizer>(SpeechReport::failed); };
    const struct {
        const char* name;
        MakeSetup setup;
        bool silenceAsked;
        int status;
        std::string err;
    } rows[] = {
        {"heard", with(heard, "espeak"), false, 0, ""},
        {"espeakWithoutADevice", with(heard, "espeak", false), false, 1,
         "umbrascope-cli say: nothing was heard: no device here\n"},
        {"silentByDefault", with(silent, "none"), false, 1,
         "umbrascope-cli say: nothing was heard: speech is silent\n"},
        {"silentAsAsked", with(silent, "none"), true, 0, ""},
        {"failedChosenByName", with(failing, "speechd"), false, 1,
         "umbrascope-cli say: nothing was spoken: the speech backend did not finish it (has it "
         "an audio output?)\n"},
    };
    for (const auto& row : rows) {
        ManualQueue queue;
        auto setup = row.setup(queue);
        std::ostringstream err;
        EXPECT_EQ(sayThrough(setup, queue,
                             {"Note On C4", {}, {}, {}, row.silenceAsked, nullptr, {}}, err),
                  row.status)
            << row.name;
        EXPECT_EQ(err.str(), row.err) << row.name;
    }
}

} // namespace
} // namespace umbrascope::cli
