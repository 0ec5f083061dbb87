#include <gtest/gtest.h>

#include <sstream>

#include "audio/SilentOutput.hpp"
#include "platform/SpeechSetup.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope::platform {
namespace {

using testing_support::FakeSpeechSynthesizer;
using B = SpeechBackend;

// Which backends this machine has, and logs of the synthesizers made.
struct Machine {
    bool daemon = true;
    bool espeak = true;
    bool device = true;
    std::shared_ptr<FakeSpeechSynthesizer::Log> speechd =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    std::shared_ptr<FakeSpeechSynthesizer::Log> builtIn =
        std::make_shared<FakeSpeechSynthesizer::Log>();

    SpeechFactories factories() {
        const auto made = [](bool available, const std::shared_ptr<FakeSpeechSynthesizer::Log>& log,
                             const char* whyNot) {
            return [available, log, whyNot](AudioEngine&) -> SpeechAttempt {
                if (!available) return {nullptr, whyNot};
                return {std::make_unique<FakeSpeechSynthesizer>(log), {}};
            };
        };
        return {[device = device] {
                    return std::make_unique<AudioEngine>(device ? std::make_unique<SilentOutput>()
                                                                : nullptr);
                },
                made(daemon, speechd, "no daemon"), made(espeak, builtIn, "no espeak-ng data"),
                made(true, std::make_shared<FakeSpeechSynthesizer::Log>(), "")};
    }
};

TEST(MakeSpeech, PicksTheFirstBackendThatWorksAndSaysWhy) {
    const struct {
        const char* name;
        const char* choice;
        bool daemon, espeak, device;
        std::optional<B> backend;
        bool fallbackWired;
        const char* err;
        const char* whyNotHeard;
    } rows[] = {
        {"defaultWithADaemon", "", true, true, true, B::speechd, true,
         "Speech: speech-dispatcher\n", ""},
        {"defaultWithoutADaemon", "", false, true, true, B::espeak, false,
         "Speech: built-in espeak-ng (no daemon)\n", ""},
        {"defaultWithoutADaemonOrDevice", "", false, true, false, B::espeak, false,
         "Speech: built-in espeak-ng (no daemon), but nothing will be heard: no audio output was "
         "built in\n",
         "no audio output was built in"},
        {"nothingAvailable", "", false, false, true, B::none, false,
         "Speech: silent (no daemon; no espeak-ng data)\n", "speech is silent"},
        {"daemonByName", "speechd", true, false, true, B::speechd, false,
         "Speech: speech-dispatcher\n", ""},
        {"missingDaemonByName", "speechd", false, true, true, std::nullopt, false, "no daemon\n",
         ""},
        {"espeakByName", "espeak", true, true, true, B::espeak, false,
         "Speech: built-in espeak-ng\n", ""},
        {"missingEspeakByName", "espeak", true, false, true, std::nullopt, false,
         "no espeak-ng data\n", ""},
        {"silenceByName", "none", true, true, true, B::none, false, "Speech: silent, as asked\n",
         "speech is silent"},
        {"unknownName", "festival", true, true, true, std::nullopt, false,
         "unknown speech backend 'festival': expected speechd, espeak or none\n", ""},
    };
    for (const auto& row : rows) {
        Machine machine{row.daemon, row.espeak, row.device};
        ManualQueue queue;
        std::ostringstream err;
        auto setup = makeSpeech(row.choice, queue, err, machine.factories());
        EXPECT_EQ(err.str(), row.err) << row.name;
        ASSERT_EQ(setup.has_value(), row.backend.has_value()) << row.name;
        if (!setup) continue;
        EXPECT_EQ(setup->backend, *row.backend) << row.name;
        EXPECT_EQ(setup->speakingBackend(), *row.backend) << row.name;
        EXPECT_EQ(setup->fallback != nullptr, row.fallbackWired) << row.name;
        EXPECT_EQ(whyNotHeard(*setup), row.whyNotHeard) << row.name;
    }
}

// A daemon picked by default that cannot play hands speech on down the list, and every text
// afterwards names the backend that speaks now.
TEST(MakeSpeech, AFailingDaemonFallsBackToEspeakThenToSilence) {
    const struct {
        const char* name;
        bool espeak, device;
        B speaking;
        const char* notice;
        const char* whyNotHeard;
        const char* unheard;
    } rows[] = {
        {"toEspeak", true, true, B::espeak,
         "Speech: the daemon lost its audio; the built-in espeak-ng speaks from now on", "", ""},
        {"toEspeakWithoutADevice", true, false, B::espeak,
         "Speech: the daemon lost its audio; the built-in espeak-ng speaks from now on, but "
         "nothing will be heard: no audio output was built in",
         "no audio output was built in", "no audio output was built in"},
        {"toSilence", false, false, B::none,
         "Speech: the daemon lost its audio; silent from now on (no espeak-ng data)",
         "speech is silent", ""},
    };
    for (const auto& row : rows) {
        Machine machine{true, row.espeak, row.device};
        ManualQueue queue;
        std::ostringstream err;
        auto setup = makeSpeech("", queue, err, machine.factories());
        ASSERT_TRUE(setup && setup->fallback) << row.name;
        std::vector<std::string> notices;
        const auto subscription =
            setup->onFallback([&](const std::string& n) { notices.push_back(n); });
        setup->synthesizer->speak({1, "Note On C4", 0.5f, 1.0f, std::nullopt});
        machine.speechd->failureReason = "the daemon lost its audio";
        machine.speechd->send(1, SpeechReport::failed);
        queue.drain();
        EXPECT_EQ(notices, std::vector<std::string>{row.notice}) << row.name;
        EXPECT_EQ(setup->speakingBackend(), row.speaking) << row.name;
        EXPECT_EQ(whyNotHeard(*setup), row.whyNotHeard) << row.name;
        EXPECT_EQ(unheardCheck(*setup)(), row.unheard) << row.name << ": for the speech log";
        EXPECT_EQ(machine.builtIn->spokenTexts(),
                  row.espeak ? std::vector<std::string>{"Note On C4"} : std::vector<std::string>{})
            << row.name << ": the failed words are said again";
    }
}

TEST(SpeechBackends, EveryIdReadsBackAndTheChoicesNameThemAll) {
    for (const auto& backend : speechBackends)
        EXPECT_EQ(parseSpeechBackend(backend.id), backend.backend) << backend.id;
    EXPECT_EQ(parseSpeechBackend(""), std::nullopt);
    EXPECT_EQ(speechBackendChoices(), "speechd, espeak or none");
    EXPECT_EQ(speechBackendChoices("|", "|"), "speechd|espeak|none");
}

} // namespace
} // namespace umbrascope::platform
