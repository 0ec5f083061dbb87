#include <gtest/gtest.h>

#include "audio/FallbackSynthesizer.hpp"
#include "core/MainQueue.hpp"
#include "support/FakeSpeechSynthesizer.hpp"
#include "support/SpeechReports.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeSpeechSynthesizer;
using Log = FakeSpeechSynthesizer::Log;

using testing_support::Report;
using R = SpeechReport;
using Kind = FakeSpeechSynthesizer::Call::Kind;

Utterance utterance(std::uint64_t id, std::string text) {
    return {id, std::move(text), 0.5f, 1.0f, std::nullopt};
}

// A primary that the test makes fail, the fallback it is replaced by, and what reaches the user
// of the pair.
struct Pair {
    ManualQueue queue;
    std::shared_ptr<Log> primary = std::make_shared<Log>();
    std::shared_ptr<Log> fallback = std::make_shared<Log>();
    int fallbacksMade = 0;
    bool fallbackInstalled = true;
    FallbackSynthesizer synthesizer{
        std::make_unique<FakeSpeechSynthesizer>(primary),
        [this](const std::string&, std::string& notice) -> std::unique_ptr<SpeechSynthesizer> {
            ++fallbacksMade;
            notice = "speaking with the fallback";
            if (!fallbackInstalled) return nullptr;
            return std::make_unique<FakeSpeechSynthesizer>(fallback);
        },
        queue};
    testing_support::SpeechReports reports;
    std::vector<std::string> notices;
    ObserverList<const std::string&>::Subscription subscription =
        synthesizer.fallbackTaken().subscribe(
            [this](const std::string& n) { notices.push_back(n); });

    Pair() { reports.listenTo(synthesizer); }
};

TEST(FallbackSynthesizer, TheFailedUtteranceIsSaidAgainByTheFallbackAndEndsOnce) {
    Pair p;
    p.synthesizer.speak(utterance(1, "Note On C4"));
    p.primary->send(1, R::started);
    p.primary->send(1, R::failed);
    EXPECT_EQ(p.fallbacksMade, 0) << "the switch waits for the main thread";
    p.queue.drain();
    ASSERT_EQ(p.fallbacksMade, 1);
    EXPECT_EQ(p.fallback->spokenTexts(), std::vector<std::string>{"Note On C4"});
    EXPECT_EQ(p.fallback->lastSpoken().id, 1u);
    p.fallback->send(1, R::started);
    p.fallback->send(1, R::finished);
    EXPECT_EQ(p.reports.seen(), (std::vector<Report>{{1, R::started}, {1, R::finished}}));
    EXPECT_EQ(p.notices, std::vector<std::string>{"speaking with the fallback"});
}

TEST(FallbackSynthesizer, WithoutAFallbackTheFailedUtteranceStillEnds) {
    Pair p;
    p.fallbackInstalled = false;
    p.synthesizer.speak(utterance(1, "Note On C4"));
    p.primary->send(1, R::failed);
    p.queue.drain();
    EXPECT_EQ(p.reports.seen(), (std::vector<Report>{{1, R::failed}}));
}

TEST(FallbackSynthesizer, TheNewestUtteranceWaitingOnThePrimaryMovesAndOlderOnesEnd) {
    Pair p;
    p.synthesizer.speak(utterance(1, "old"));
    p.synthesizer.speak(utterance(2, "waiting"));
    p.synthesizer.speak(utterance(3, "newest"));
    p.primary->send(1, R::failed);
    p.queue.drain();
    EXPECT_EQ(p.primary->calls.back().kind, Kind::stop) << "the primary lets go of the rest";
    p.primary->send(2, R::cancelled);
    p.primary->send(3, R::cancelled); // moved: its end comes from the fallback
    EXPECT_EQ(p.fallback->spokenTexts(), std::vector<std::string>{"newest"});
    p.fallback->send(3, R::finished);
    EXPECT_EQ(p.reports.seen(),
              (std::vector<Report>{{1, R::failed}, {2, R::cancelled}, {3, R::finished}}));
}

TEST(FallbackSynthesizer, AStopBeforeTheSwitchEndsTheFailedUtteranceAndNothingIsSaidAgain) {
    Pair p;
    p.synthesizer.speak(utterance(1, "stopped"));
    p.primary->send(1, R::failed);
    p.synthesizer.stopSpeaking();
    EXPECT_EQ(p.reports.seen(), (std::vector<Report>{{1, R::cancelled}}));
    p.queue.drain();
    EXPECT_EQ(p.fallbacksMade, 1);
    EXPECT_TRUE(p.fallback->spokenTexts().empty());
}

TEST(FallbackSynthesizer, SwitchesOnceAndPassesLaterFailuresOn) {
    Pair p;
    p.synthesizer.speak(utterance(1, "one"));
    p.primary->send(1, R::failed);
    p.synthesizer.speak(utterance(2, "two")); // before the posted switch: switches first
    EXPECT_EQ(p.fallbacksMade, 1);
    EXPECT_EQ(p.fallback->spokenTexts(), (std::vector<std::string>{"one", "two"}));
    p.fallback->send(1, R::failed);
    p.queue.drain();
    EXPECT_EQ(p.fallbacksMade, 1);
    EXPECT_EQ(p.notices.size(), 1u);
    EXPECT_EQ(p.reports.seen(), (std::vector<Report>{{1, R::failed}}));
}

} // namespace
} // namespace umbrascope
