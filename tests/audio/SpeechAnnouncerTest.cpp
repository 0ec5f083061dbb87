#include <gtest/gtest.h>

#include <optional>

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

// Reports are matched by identity, not by text: the late cancel of a replaced utterance changes
// nothing.
TEST(SpeechAnnouncer, SpeakNowStopsFirstAndIgnoresTheReplacedUtterancesReports) {
    Announcer a;
    a.announcer.speakNow("same");
    a.queue.drain();
    const auto first = a.current();
    a.report(first, SpeechReport::started);
    a.announcer.speakNow("same");
    a.queue.drain();
    const auto second = a.current();
    a.report(first, SpeechReport::cancelled);
    EXPECT_TRUE(a.announcer.busy());
    ASSERT_EQ(a.log->calls.size(), 4u);
    EXPECT_EQ(a.log->calls[2].kind, Kind::stop) << "stop comes before the new speak";
    EXPECT_EQ(a.log->calls[3].utterance.id, second);
    a.report(second, SpeechReport::finished);
    EXPECT_FALSE(a.announcer.busy());
}

TEST(SpeechAnnouncer, StopThenALateStartReportLeavesItSilent) {
    Announcer a;
    a.announcer.speakNow("long reading");
    a.queue.drain();
    const auto id = a.current();
    a.announcer.stop();
    EXPECT_FALSE(a.announcer.busy());
    a.report(id, SpeechReport::started);
    EXPECT_FALSE(a.announcer.isSpeaking());
    EXPECT_EQ(a.log->calls.back().kind, Kind::stop);
}

// A task posted by an announcer that is gone must not run, even on one that took its place.
TEST(SpeechAnnouncer, PostedCallsDieWithTheirAnnouncer) {
    ManualQueue queue;
    auto log = std::make_shared<FakeSpeechSynthesizer::Log>();
    std::optional<SpeechAnnouncer> announcer;
    announcer.emplace(std::make_unique<FakeSpeechSynthesizer>(log), queue);
    announcer->speakNow("bye");
    announcer.emplace(std::make_unique<FakeSpeechSynthesizer>(log), queue);
    queue.drain();
    EXPECT_TRUE(log->calls.empty());
}

// A request made while busy is dropped for good; only the current utterance's end is told, and a
// failure ends it like a finish does, so `busy` cannot stick.
TEST(SpeechAnnouncer, UtteranceEventsTellHowEachRequestEnded) {
    Announcer a;
    std::vector<std::string> events;
    auto subscription = a.announcer.utteranceEvents().subscribe([&](const UtteranceEvent& e) {
        static constexpr const char* names[] = {"handedOver", "droppedBusy", "spoken", "cutOff",
                                                "failed"};
        events.push_back(std::string(names[static_cast<int>(e.kind)]) + " " + e.utterance.text +
                         (e.sourceID ? " @" + std::to_string(*e.sourceID) : ""));
    });
    a.announcer.speakIfIdle("a", 7);
    a.announcer.speakIfIdle("b");
    EXPECT_TRUE(a.log->calls.empty()) << "the synthesizer is called from the queue, not inline";
    a.queue.drain();
    a.report(a.current(), SpeechReport::started);
    EXPECT_TRUE(a.announcer.isSpeaking());
    a.report(a.current(), SpeechReport::finished);
    EXPECT_FALSE(a.announcer.isSpeaking());
    a.announcer.speakIfIdle("c");
    const auto c = a.current();
    a.announcer.speakNow("d");
    a.report(c, SpeechReport::failed);
    a.announcer.stop();
    a.announcer.speakNow("e");
    a.report(a.current(), SpeechReport::cancelled);
    a.announcer.speakNow("f");
    a.report(a.current(), SpeechReport::failed);
    EXPECT_FALSE(a.announcer.busy());
    EXPECT_EQ(events,
              (std::vector<std::string>{"handedOver a @7", "droppedBusy b", "spoken a @7",
                                        "handedOver c", "cutOff c", "handedOver d", "cutOff d",
                                        "handedOver e", "cutOff e", "handedOver f", "failed f"}));
}

TEST(SpeechAnnouncer, AdjustingClampsAndAlwaysConfirmsAtTheNewValue) {
    const struct {
        bool isRate;
        float start, delta, expected;
        const char* spoken;
    } rows[] = {
        {true, 1.0f, 0.05f, 1.0f, "Speech Rate Faster"},
        {true, 0.5f, -0.05f, 0.45f, "Speech Rate Slower"},
        {false, 0.05f, -0.1f, 0.0f, "TTS Volume Down"},
        {false, 0.5f, 0.1f, 0.6f, "TTS Volume Up"},
    };
    for (const auto& row : rows) {
        Announcer a;
        if (row.isRate) {
            a.announcer.setRate(row.start);
            a.announcer.adjustRate(row.delta);
        } else {
            a.announcer.setVolume(row.start);
            a.announcer.adjustVolume(row.delta);
        }
        a.queue.drain();
        const auto& said = a.log->lastSpoken();
        EXPECT_EQ(said.text, row.spoken);
        EXPECT_FLOAT_EQ(row.isRate ? a.announcer.rate() : a.announcer.volume(), row.expected)
            << row.spoken;
        EXPECT_FLOAT_EQ(row.isRate ? said.rate : said.volume, row.expected) << row.spoken;
    }
}

TEST(SpeechAnnouncer, VoicesForSourcesFallBackToTheDefault) {
    Announcer a;
    a.log->voices = {{"en-gb", "English (Great Britain)", "en-gb"}};
    a.announcer.setVoiceForSource(5, "en-gb");
    a.announcer.setVoiceForSource(6, "gone-voice");
    EXPECT_EQ(a.announcer.voiceFor(6), std::nullopt) << "an uninstalled voice is the default";
    EXPECT_EQ(a.announcer.voiceFor(0), std::nullopt) << "no entry for source 0";
    a.announcer.speakNow("hello", 5);
    a.announcer.setVolume(0.3f);
    a.queue.drain();
    EXPECT_EQ(a.log->lastSpoken().voiceIdentifier, "en-gb");
    EXPECT_FLOAT_EQ(a.log->lastSpoken().volume, 1.0f) << "the settings it was built with";
}

} // namespace
} // namespace umbrascope
