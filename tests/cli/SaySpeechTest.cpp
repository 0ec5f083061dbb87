#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "audio/SilentSynthesizer.hpp"
#include "cli/SaySpeech.hpp"

#ifdef HAVE_UMBRASCOPE_SPEECHD
#include "audio/speechd/SpeechDispatcherSynthesizer.hpp"
#include "support/FakeSpeechDaemon.hpp"
#endif

namespace umbrascope::cli {
namespace {

// Finishes every utterance at once, as a synthesizer that was heard would.
class HeardSynthesizer final : public SpeechSynthesizer {
public:
    void speak(const Utterance& utterance) override {
        report(utterance.id, SpeechReport::started);
        report(utterance.id, SpeechReport::finished);
    }
    void stopSpeaking() override {}
    std::vector<Voice> voices() const override { return {}; }
    bool hasVoice(const std::string&) const override { return false; }
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

using Setup = std::function<platform::SpeechSetup(MainQueue&)>;

platform::SpeechSetup withSynthesizer(std::unique_ptr<SpeechSynthesizer> synthesizer,
                                      std::string backend, bool deviceOpens = true) {
    return {std::make_unique<AudioEngine>(std::make_unique<Output>(deviceOpens)),
            std::move(synthesizer), std::move(backend), nullptr};
}

#ifdef HAVE_UMBRASCOPE_SPEECHD
// A daemon that begins every utterance and never ends one, as one without audio does.
std::unique_ptr<SpeechSynthesizer> daemonWithoutAudio() {
    auto daemon = std::make_shared<testing_support::FakeSpeechDaemon>();
    daemon->eventsOnSay = {SsipEvent::begin};
    return std::make_unique<SpeechDispatcherSynthesizer>(
        testing_support::FakeSpeechDaemon::connector(daemon),
        SpeechDispatcherBounds{std::chrono::milliseconds(100), std::chrono::milliseconds(100),
                               std::chrono::milliseconds(0)});
}

Setup fallingBackTo(std::function<std::unique_ptr<SpeechSynthesizer>()> makeFallback) {
    return [makeFallback](MainQueue& queue) {
        auto fallback = std::make_unique<FallbackSynthesizer>(
            daemonWithoutAudio(),
            [makeFallback](std::string& notice) {
                notice = "Speech: fell back";
                return makeFallback();
            },
            queue);
        auto* pointer = fallback.get();
        auto setup = withSynthesizer(std::move(fallback), "speechd");
        setup.fallback = pointer;
        return setup;
    };
}
#endif

struct SayCase {
    const char* name;
    Setup setup;
    bool silenceAsked;
    int status;
    std::string err;
};

class SayThrough : public testing::TestWithParam<SayCase> {};

TEST_P(SayThrough, ExitsNonZeroWithOneLineWhenNothingWasHeard) {
    const auto& c = GetParam();
    ManualQueue queue;
    auto setup = c.setup(queue);
    std::ostringstream err;
    EXPECT_EQ(sayThrough(setup, queue, {"Note On C4", {}, {}, {}, c.silenceAsked}, err), c.status);
    EXPECT_EQ(err.str(), c.err);
}

std::vector<SayCase> sayCases() {
    std::vector<SayCase> cases{
        {"heard",
         [](MainQueue&) { return withSynthesizer(std::make_unique<HeardSynthesizer>(), "espeak"); },
         false, 0, ""},
        {"espeakWithoutADevice",
         [](MainQueue&) {
             return withSynthesizer(std::make_unique<HeardSynthesizer>(), "espeak", false);
         },
         false, 1, "umbrascope-cli say: nothing was heard: no device here\n"},
        {"silentByDefault",
         [](MainQueue&) { return withSynthesizer(std::make_unique<SilentSynthesizer>(), "none"); },
         false, 1, "umbrascope-cli say: nothing was heard: speech is silent\n"},
        {"silentAsAsked",
         [](MainQueue&) { return withSynthesizer(std::make_unique<SilentSynthesizer>(), "none"); },
         true, 0, ""},
    };
#ifdef HAVE_UMBRASCOPE_SPEECHD
    cases.push_back({"daemonWithoutAudioChosenByName",
                     [](MainQueue&) { return withSynthesizer(daemonWithoutAudio(), "speechd"); },
                     false, 1,
                     "umbrascope-cli say: nothing was spoken: the speech backend did not finish "
                     "it (has it an audio output?)\n"});
    cases.push_back({"daemonWithoutAudioFallsBackAndIsHeard",
                     fallingBackTo([] { return std::make_unique<HeardSynthesizer>(); }), false, 0,
                     "Speech: fell back\n"});
    cases.push_back(
        {"daemonWithoutAudioFallsBackToSilence",
         fallingBackTo([] { return std::make_unique<SilentSynthesizer>(); }), false, 1,
         "Speech: fell back\numbrascope-cli say: nothing was heard: speech is silent\n"});
#endif
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Cases, SayThrough, testing::ValuesIn(sayCases()),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace umbrascope::cli
