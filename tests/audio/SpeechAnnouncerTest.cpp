#include <gtest/gtest.h>

#include <array>

#include "audio/SpeechAnnouncer.hpp"
#include "core/MainQueue.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeSpeechSynthesizer;
using Kind = FakeSpeechSynthesizer::Call::Kind;

struct Announcer {
    ManualQueue queue;
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    SpeechAnnouncer announcer{std::make_unique<FakeSpeechSynthesizer>(log), queue};

    std::uint64_t current() const { return announcer.currentUtterance()->id; }
    void report(std::uint64_t id, SpeechReport kind) {
        log->send(id, kind);
        queue.drain();
    }
};

TEST(SpeechAnnouncer, SpeakIfIdleDropsWhileBusyAndSpeaksAfterTheFinish) {
    Announcer a;
    a.announcer.speakIfIdle("one");
    EXPECT_TRUE(a.announcer.busy());
    EXPECT_TRUE(a.log->calls.empty()) << "the synthesizer is called from the queue, not inline";
    a.queue.drain();
    const auto first = a.current();
    a.report(first, SpeechReport::started);
    EXPECT_TRUE(a.announcer.isSpeaking());
    a.announcer.speakIfIdle("two");
    a.queue.drain();
    a.report(first, SpeechReport::finished);
    EXPECT_FALSE(a.announcer.busy());
    EXPECT_FALSE(a.announcer.isSpeaking());
    a.announcer.speakIfIdle("three");
    a.queue.drain();
    EXPECT_EQ(a.log->spokenTexts(), (std::vector<std::string>{"one", "three"}));
}

TEST(SpeechAnnouncer, SpeakNowCutsInAndIgnoresTheCutOffUtterancesCancel) {
    Announcer a;
    a.announcer.speakNow("one");
    a.queue.drain();
    const auto first = a.current();
    a.report(first, SpeechReport::started);
    a.announcer.speakNow("two");
    a.queue.drain();
    const auto second = a.current();
    EXPECT_NE(first, second);
    a.report(first, SpeechReport::cancelled);
    EXPECT_TRUE(a.announcer.busy()) << "a late cancel of the replaced utterance changes nothing";
    ASSERT_EQ(a.log->calls.size(), 4u);
    EXPECT_EQ(a.log->calls[2].kind, Kind::stop) << "stop comes before the new speak";
    EXPECT_EQ(a.log->calls[3].utterance.text, "two");
    a.report(second, SpeechReport::started);
    EXPECT_TRUE(a.announcer.isSpeaking());
    a.report(second, SpeechReport::finished);
    EXPECT_FALSE(a.announcer.busy());
}

TEST(SpeechAnnouncer, SameTextIsStillADifferentUtterance) {
    Announcer a;
    a.announcer.speakNow("same");
    const auto first = a.current();
    a.announcer.speakNow("same");
    a.queue.drain();
    a.report(first, SpeechReport::finished);
    EXPECT_TRUE(a.announcer.busy());
}

TEST(SpeechAnnouncer, StopThenALateStartReportLeavesItSilent) {
    Announcer a;
    a.announcer.speakNow("long reading");
    a.queue.drain();
    const auto id = a.current();
    a.announcer.stop();
    EXPECT_FALSE(a.announcer.busy());
    EXPECT_FALSE(a.announcer.currentUtterance());
    a.report(id, SpeechReport::started);
    EXPECT_FALSE(a.announcer.isSpeaking());
    EXPECT_EQ(a.log->calls.back().kind, Kind::stop);
}

TEST(SpeechAnnouncer, ReportsAfterDestructionAreHarmless) {
    ManualQueue queue;
    auto log = std::make_shared<FakeSpeechSynthesizer::Log>();
    {
        SpeechAnnouncer announcer(std::make_unique<FakeSpeechSynthesizer>(log), queue);
        announcer.speakNow("bye");
    }
    EXPECT_NO_FATAL_FAILURE(queue.drain());
    EXPECT_TRUE(log->calls.empty());
}

TEST(SpeechAnnouncer, UtteranceEventsTellHowEachRequestEnded) {
    Announcer a;
    std::vector<std::string> events;
    auto subscription = a.announcer.utteranceEvents().subscribe([&](const UtteranceEvent& e) {
        static constexpr const char* names[] = {"handedOver", "droppedBusy", "spoken", "cutOff"};
        events.push_back(std::string(names[static_cast<int>(e.kind)]) + " " + e.utterance.text +
                         (e.sourceID ? " @" + std::to_string(*e.sourceID) : ""));
    });
    a.announcer.speakIfIdle("a", 7);
    a.announcer.speakIfIdle("b");
    a.queue.drain();
    a.report(a.current(), SpeechReport::started);
    a.report(a.current(), SpeechReport::finished);
    a.announcer.speakNow("c");
    a.announcer.speakNow("d");
    a.announcer.stop();
    a.announcer.speakNow("e");
    a.queue.drain();
    a.report(a.current(), SpeechReport::cancelled);
    EXPECT_EQ(events, (std::vector<std::string>{"handedOver a @7", "droppedBusy b", "spoken a @7",
                                                "handedOver c", "cutOff c", "handedOver d",
                                                "cutOff d", "handedOver e", "cutOff e"}));
}

class SpeechAnnouncerEnd : public testing::TestWithParam<SpeechReport> {};

// A failure ends the utterance like a finish does, so `busy` cannot stick; only the current
// utterance's end is told, and a failure is told apart from a cut-off.
TEST_P(SpeechAnnouncerEnd, EndsTheCurrentUtteranceAndSaysHow) {
    Announcer a;
    std::vector<std::pair<std::string, UtteranceEvent::Kind>> ended;
    const auto subscription = a.announcer.utteranceEvents().subscribe([&](const UtteranceEvent& e) {
        if (e.kind != UtteranceEvent::Kind::handedOver)
            ended.emplace_back(e.utterance.text, e.kind);
    });
    a.announcer.speakNow("replaced");
    const auto replaced = a.current();
    a.announcer.speakNow("current");
    a.queue.drain();
    ended.clear(); // the replaced one was cut off by the new one
    a.report(replaced, GetParam());
    EXPECT_TRUE(a.announcer.busy());
    a.report(a.current(), SpeechReport::started);
    a.report(a.current(), GetParam());
    EXPECT_FALSE(a.announcer.busy());
    EXPECT_FALSE(a.announcer.isSpeaking());
    using K = UtteranceEvent::Kind;
    const K expected = GetParam() == SpeechReport::finished ? K::spoken
                       : GetParam() == SpeechReport::failed ? K::failed
                                                            : K::cutOff;
    EXPECT_EQ(ended, (std::vector<std::pair<std::string, K>>{{"current", expected}}));
}

std::string endName(const testing::TestParamInfo<SpeechReport>& row) {
    static constexpr std::array names{"started", "finished", "cancelled", "failed"};
    return names.at(static_cast<std::size_t>(row.param));
}

INSTANTIATE_TEST_SUITE_P(Kinds, SpeechAnnouncerEnd,
                         testing::Values(SpeechReport::finished, SpeechReport::cancelled,
                                         SpeechReport::failed),
                         endName);

struct AdjustCase {
    const char* name;
    bool isRate;
    float start;
    float delta;
    float expected;
    const char* spoken;
};

class SpeechAnnouncerAdjust : public testing::TestWithParam<AdjustCase> {};

TEST_P(SpeechAnnouncerAdjust, ClampsAndAlwaysSpeaks) {
    const auto& c = GetParam();
    Announcer a;
    if (c.isRate) {
        a.announcer.setRate(c.start);
        a.announcer.adjustRate(c.delta);
        EXPECT_FLOAT_EQ(a.announcer.rate(), c.expected);
    } else {
        a.announcer.setVolume(c.start);
        a.announcer.adjustVolume(c.delta);
        EXPECT_FLOAT_EQ(a.announcer.volume(), c.expected);
    }
    a.queue.drain();
    EXPECT_EQ(a.log->lastSpoken().text, c.spoken);
    EXPECT_FLOAT_EQ(c.isRate ? a.log->lastSpoken().rate : a.log->lastSpoken().volume, c.expected)
        << "the confirmation is spoken at the new value";
}

INSTANTIATE_TEST_SUITE_P(
    Limits, SpeechAnnouncerAdjust,
    testing::Values(
        AdjustCase{"rateFasterAtMaximum", true, 1.0f, 0.05f, 1.0f, "Speech Rate Faster"},
        AdjustCase{"rateSlowerAtMinimum", true, 0.0f, -0.05f, 0.0f, "Speech Rate Slower"},
        AdjustCase{"rateFaster", true, 0.5f, 0.05f, 0.55f, "Speech Rate Faster"},
        AdjustCase{"volumeDownToZero", false, 0.05f, -0.1f, 0.0f, "TTS Volume Down"},
        AdjustCase{"volumeUpAtFull", false, 1.0f, 0.1f, 1.0f, "TTS Volume Up"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(SpeechAnnouncer, VoicesForSourcesFallBackToTheDefault) {
    Announcer a;
    a.log->voices = {{"en-gb", "English (Great Britain)", "en-gb"}};
    a.announcer.setVoiceForSource(5, "en-gb");
    a.announcer.setVoiceForSource(6, "gone-voice");
    EXPECT_EQ(a.announcer.voiceFor(5), "en-gb");
    EXPECT_EQ(a.announcer.voiceFor(6), std::nullopt) << "an uninstalled voice is the default";
    EXPECT_EQ(a.announcer.voiceFor(0), std::nullopt) << "no entry for source 0";
    EXPECT_EQ(a.announcer.voiceFor(std::nullopt), std::nullopt);
    a.announcer.speakNow("hello", 5);
    a.queue.drain();
    EXPECT_EQ(a.log->lastSpoken().voiceIdentifier, "en-gb");
}

TEST(SpeechAnnouncer, UtteranceKeepsTheSettingsItWasBuiltWith) {
    Announcer a;
    a.announcer.setVolume(0.3f);
    a.announcer.speakNow("x");
    a.announcer.setVolume(0.9f);
    a.queue.drain();
    EXPECT_FLOAT_EQ(a.log->lastSpoken().volume, 0.3f);
}

TEST(SpeechAnnouncer, AvailableVoicesAreEnglishSortedByName) {
    Announcer a;
    a.log->voices = {{"b", "Zed", "en-us"}, {"c", "Ana", "de"}, {"a", "Bob", "en-gb"}};
    const auto voices = a.announcer.availableVoices();
    ASSERT_EQ(voices.size(), 2u);
    EXPECT_EQ(voices[0].name, "Bob");
    EXPECT_EQ(voices[1].name, "Zed");
}

} // namespace
} // namespace umbrascope
