#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "audio/SpeechAnnouncer.hpp"
#include "core/MainQueue.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeSpeechSynthesizer;
using Log = FakeSpeechSynthesizer::Log;

struct Announcer {
    ManualQueue queue;
    std::shared_ptr<Log> log = std::make_shared<Log>();
    SpeechAnnouncer announcer{std::make_unique<FakeSpeechSynthesizer>(log), queue};

    std::uint64_t current() const { return announcer.currentUtterance()->id; }
    void report(std::uint64_t id, SpeechReport kind) {
        log->send(id, kind);
        queue.drain();
    }
    // What the synthesizer was asked, in order: "stop" or the text spoken.
    std::vector<std::string> calls() const {
        std::vector<std::string> seen;
        for (const auto& call : log->calls)
            seen.push_back(call.kind == FakeSpeechSynthesizer::Call::Kind::stop
                               ? "stop"
                               : call.utterance.text);
        return seen;
    }
};

// A request made while busy is dropped for good; a new utterance cuts in after a stop. Reports
// are matched by identity, so late ones of an utterance that was replaced or stopped change
// nothing; a failure ends an utterance like a finish does, so `busy` cannot stick.
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
    const auto d = a.current();
    a.report(c, SpeechReport::failed);
    EXPECT_TRUE(a.announcer.busy());
    a.announcer.stop();
    a.report(d, SpeechReport::started);
    EXPECT_FALSE(a.announcer.isSpeaking());
    a.announcer.speakNow("e");
    a.report(a.current(), SpeechReport::cancelled);
    a.announcer.speakNow("f");
    a.report(a.current(), SpeechReport::failed);
    EXPECT_FALSE(a.announcer.busy());
    EXPECT_EQ(events,
              (std::vector<std::string>{"handedOver a @7", "droppedBusy b", "spoken a @7",
                                        "handedOver c", "cutOff c", "handedOver d", "cutOff d",
                                        "handedOver e", "cutOff e", "handedOver f", "failed f"}));
    EXPECT_EQ(a.calls(),
              (std::vector<std::string>{"a", "c", "stop", "d", "stop", "stop", "e", "stop", "f"}));
}

// A task posted by an announcer that is gone must not run, even on one that took its place.
TEST(SpeechAnnouncer, PostedCallsDieWithTheirAnnouncer) {
    ManualQueue queue;
    auto log = std::make_shared<Log>();
    std::optional<SpeechAnnouncer> announcer;
    announcer.emplace(std::make_unique<FakeSpeechSynthesizer>(log), queue);
    announcer->speakNow("bye");
    announcer.emplace(std::make_unique<FakeSpeechSynthesizer>(log), queue);
    queue.drain();
    EXPECT_TRUE(log->calls.empty());
}

TEST(SpeechAnnouncer, AdjustingClampsAndAlwaysConfirmsAtTheNewValue) {
    using A = SpeechAnnouncer;
    const struct {
        void (A::*set)(float);
        void (A::*adjust)(float);
        float start, delta, expected;
        const char* spoken;
    } rows[] = {
        {&A::setRate, &A::adjustRate, 0.98f, 0.05f, 1.0f, "Speech Rate Faster"},
        {&A::setVolume, &A::adjustVolume, 0.05f, -0.1f, 0.0f, "TTS Volume Down"},
    };
    for (const auto& row : rows) {
        Announcer a;
        (a.announcer.*row.set)(row.start);
        (a.announcer.*row.adjust)(row.delta);
        a.queue.drain();
        const auto& said = a.log->lastSpoken();
        EXPECT_EQ(said.text, row.spoken);
        EXPECT_FLOAT_EQ(row.set == &A::setRate ? said.rate : said.volume, row.expected)
            << row.spoken;
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

// With Last Interrupts on, a new message cuts an announcement or a reading off, but never the
// answer to the user's own key; the kind reaches the synthesizer with the utterance.
TEST(SpeechAnnouncer, AnAnnouncementDoesNotCutAConfirmationOff) {
    using K = UtteranceKind;
    const struct {
        const char* name;
        UtteranceKind current;
        std::vector<std::string> calls;
    } rows[] = {
        {"confirmation", K::confirmation, {"stop", "Last Interrupts On"}},
        {"reading", K::reading, {"stop", "Last Interrupts On", "stop", "E4"}},
        {"announcement", K::announcement, {"stop", "Last Interrupts On", "stop", "E4"}},
        {"heading", K::heading, {"stop", "Last Interrupts On"}},
    };
    for (const auto& row : rows) {
        Announcer a;
        a.announcer.speakNow("Last Interrupts On", std::nullopt, row.current);
        a.announcer.speakNow("E4", 3, K::announcement);
        a.queue.drain();
        EXPECT_EQ(a.calls(), row.calls) << row.name;
        EXPECT_EQ(a.log->calls[1].utterance.kind, row.current) << row.name;
    }
}

// A follow-up is said, at its own kind and without cutting anything, only after the utterance
// before it was said in full; whatever else becomes of that one drops it.
TEST(SpeechAnnouncer, AFollowUpIsSaidOnlyAfterTheUtteranceBeforeItWasSaidInFull) {
    const struct {
        const char* name;
        std::function<void(Announcer&)> meanwhile; // what becomes of "TTS Short"
        std::vector<std::string> calls;
        std::vector<std::string> events;
    } rows[] = {
        {"finished",
         [](Announcer& a) { a.report(a.current(), SpeechReport::finished); },
         {"stop", "TTS Short", "Notice"},
         {"handedOver TTS Short", "spoken TTS Short", "handedOver Notice"}},
        {"cutOffByTheDaemon",
         [](Announcer& a) { a.report(a.current(), SpeechReport::cancelled); },
         {"stop", "TTS Short"},
         {"handedOver TTS Short", "cutOff TTS Short", "droppedBusy Notice"}},
        {"failed",
         [](Announcer& a) { a.report(a.current(), SpeechReport::failed); },
         {"stop", "TTS Short"},
         {"handedOver TTS Short", "failed TTS Short", "droppedBusy Notice"}},
        {"stopped",
         [](Announcer& a) { a.announcer.stop(); },
         {"stop", "TTS Short", "stop"},
         {"handedOver TTS Short", "droppedBusy Notice", "cutOff TTS Short"}},
        {"replaced",
         [](Announcer& a) { a.announcer.speakNow("TTS Verbose"); },
         {"stop", "TTS Short", "stop", "TTS Verbose"},
         {"handedOver TTS Short", "droppedBusy Notice", "cutOff TTS Short",
          "handedOver TTS Verbose"}},
    };
    for (const auto& row : rows) {
        Announcer a;
        std::vector<std::string> events;
        auto subscription = a.announcer.utteranceEvents().subscribe([&](const UtteranceEvent& e) {
            static constexpr const char* names[] = {"handedOver", "droppedBusy", "spoken", "cutOff",
                                                    "failed"};
            events.push_back(std::string(names[static_cast<int>(e.kind)]) + " " + e.utterance.text);
        });
        a.announcer.speakNow("TTS Short");
        a.announcer.speakAfter("Notice");
        a.queue.drain();
        row.meanwhile(a);
        a.queue.drain();
        EXPECT_EQ(a.calls(), row.calls) << row.name;
        EXPECT_EQ(events, row.events) << row.name;
        EXPECT_EQ(a.log->lastSpoken().kind, row.calls.back() == "Notice"
                                                ? UtteranceKind::reading
                                                : UtteranceKind::confirmation)
            << row.name;
    }

    Announcer idle;
    idle.announcer.speakAfter("Notice");
    idle.queue.drain();
    EXPECT_EQ(idle.calls(), (std::vector<std::string>{"Notice"})) << "nothing to wait for";
}

} // namespace
} // namespace umbrascope
