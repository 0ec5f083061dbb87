#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "audio/AnnouncePass.hpp"
#include "core/MainQueue.hpp"
#include "model/Packet.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSpeechSynthesizer.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeSpeechSynthesizer;

constexpr std::uint32_t noteOnC4 = 0x40903C00;
constexpr std::uint32_t noteOnE4 = 0x40904000;
constexpr std::uint32_t velocity = 0xFFFF0000;
constexpr std::uint32_t timingClock = 0x10F80000;

MIDIMessage message(std::int64_t sequence, std::initializer_list<std::uint32_t> words,
                    std::int32_t sourceID = 1) {
    MIDIMessage m;
    m.id = Identifier::make();
    m.sequenceNumber = sequence;
    m.words = PacketWords(words);
    m.messageType = classifyPacket(*words.begin()).type;
    m.sourceID = sourceID;
    return m;
}

struct Window {
    ManualQueue queue;
    std::shared_ptr<FakeSpeechSynthesizer::Log> log =
        std::make_shared<FakeSpeechSynthesizer::Log>();
    SpeechAnnouncer announcer{std::make_unique<FakeSpeechSynthesizer>(log), queue};
    FakeClock clock;
    AudioEngine engine{nullptr};
    ClickPlayer clicks{engine, clock};
    AnnounceState state;
    std::vector<MIDIMessage> visible;

    void receive(std::initializer_list<std::uint32_t> words, std::int32_t sourceID = 1) {
        visible.push_back(message(nextSequence++, words, sourceID));
    }
    void pass() {
        announceNewMessages(visible, state, announcer, clicks);
        queue.drain();
    }
    int ticksRequested() const { return static_cast<int>(10.0 - clicks.tokens()); }
    void finishCurrent() {
        log->send(announcer.currentUtterance()->id, SpeechReport::finished);
        queue.drain();
    }
    std::int64_t nextSequence = 0;
};

TEST(AnnouncePass, ABatchSpeaksOnlyItsNewestSpeakableTextAndWalksTheStatus) {
    Window w;
    w.state.ttsLevel = TTSLevel::short_;
    w.receive({noteOnC4, velocity});
    w.receive({noteOnE4, velocity});
    w.receive({timingClock});
    w.pass();
    EXPECT_EQ(w.log->spokenTexts(), (std::vector<std::string>{"E4"}));
    EXPECT_EQ(w.state.runningVoiceStatus, RunningVoiceStatus::noteOn);
    EXPECT_EQ(w.state.lastSpokenSequence, 2);
}

TEST(AnnouncePass, LevelOffStillAdvancesAndSwitchingOnSpeaksOnlyLaterMessages) {
    Window w;
    for (int i = 0; i < 5; ++i) {
        w.receive({noteOnC4, velocity});
        w.pass();
    }
    EXPECT_EQ(w.state.lastSpokenSequence, 4);
    EXPECT_TRUE(w.log->calls.empty());
    w.state.ttsLevel = TTSLevel::short_;
    resetAnnouncePosition(w.visible, w.state);
    w.pass();
    EXPECT_TRUE(w.log->calls.empty()) << "the backlog is not replayed";
    w.receive({noteOnE4, velocity});
    w.pass();
    EXPECT_EQ(w.log->spokenTexts().size(), 1u);
}

TEST(AnnouncePass, WithoutLastInterruptsABusyAnnouncerDropsForGood) {
    Window w;
    w.state.ttsLevel = TTSLevel::short_;
    w.receive({noteOnC4, velocity});
    w.pass();
    w.receive({noteOnE4, velocity});
    w.pass();
    EXPECT_EQ(w.log->spokenTexts().size(), 1u) << "dropped while busy";
    w.finishCurrent();
    w.pass();
    EXPECT_EQ(w.log->spokenTexts().size(), 1u) << "and not spoken later";
    w.receive({noteOnC4, velocity});
    w.pass();
    EXPECT_EQ(w.log->spokenTexts().size(), 2u) << "the next one after the finish is spoken";
}

TEST(AnnouncePass, WithLastInterruptsEachPassCutsIn) {
    Window w;
    w.state.ttsLevel = TTSLevel::short_;
    w.state.lastInterrupts = true;
    for (int i = 0; i < 3; ++i) {
        w.receive({i % 2 ? noteOnE4 : noteOnC4, velocity});
        w.pass();
        EXPECT_TRUE(w.announcer.busy());
    }
    EXPECT_EQ(w.log->spokenTexts().size(), 3u);
    EXPECT_EQ(w.log->calls.size(), 6u) << "each speak is preceded by a stop";
}

TEST(AnnouncePass, HidingAndShowingATypeNeverReannouncesOrReclicks) {
    Window w;
    w.state.ttsLevel = TTSLevel::short_;
    w.state.clickOnMessage = true;
    w.state.lastInterrupts = true;
    w.receive({noteOnC4, velocity});
    w.receive({timingClock});
    w.pass();
    const auto spoken = w.log->spokenTexts().size();
    const auto ticks = w.ticksRequested();

    auto all = w.visible;
    w.visible.pop_back(); // the clock's type is hidden: the newest visible message changes
    w.pass();
    w.visible = all; // shown again
    w.pass();
    EXPECT_EQ(w.log->spokenTexts().size(), spoken);
    EXPECT_EQ(w.ticksRequested(), ticks);
    EXPECT_EQ(w.state.lastSpokenSequence, 1);
}

TEST(AnnouncePass, AMessageTheFiltersHideIsNeitherClickedNorSpoken) {
    Window w;
    w.state.ttsLevel = TTSLevel::short_;
    w.state.clickOnMessage = true;
    w.receive({noteOnC4, velocity});
    w.pass();
    ASSERT_EQ(w.ticksRequested(), 1) << "the very first message is clicked";
    w.finishCurrent();
    // The buffer now holds a Note On that the window's filters leave out of the visible list.
    w.nextSequence++;
    w.pass();
    EXPECT_EQ(w.log->spokenTexts().size(), 1u);
    EXPECT_EQ(w.ticksRequested(), 1);
}

TEST(AnnouncePass, SpeaksInTheVoiceOfTheSourceOfItsText) {
    Window w;
    w.log->voices = {{"voice-a", "A", "en"}};
    w.announcer.setVoiceForSource(7, "voice-a");
    w.state.ttsLevel = TTSLevel::short_;
    w.receive({noteOnC4, velocity}, 0);
    w.receive({noteOnE4, velocity}, 7);
    w.receive({timingClock}, 0);
    w.pass();
    EXPECT_EQ(w.log->lastSpoken().voiceIdentifier, "voice-a");
}

TEST(AnnouncePass, WorksOverAListOfPointers) {
    Window w;
    w.state.ttsLevel = TTSLevel::short_;
    w.receive({noteOnC4, velocity});
    std::vector<const MIDIMessage*> pointers{&w.visible[0]};
    announceNewMessages(pointers, w.state, w.announcer, w.clicks);
    w.queue.drain();
    EXPECT_EQ(w.log->spokenTexts().size(), 1u);
}

} // namespace
} // namespace umbrascope
