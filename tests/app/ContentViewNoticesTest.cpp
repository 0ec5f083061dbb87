#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "support/RecordingMIDIService.hpp"
#include "support/WindowFixture.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using namespace testing_support;

// A view on a service that reports input overruns.
struct OverrunWindow : ViewOnFakes<RecordingMIDIService> {
    std::vector<std::string> notices;
    ObserverList<ContentViewProperty>::Subscription watch;

    OverrunWindow() {
        makeView();
        watch = view->observers().subscribe([this](ContentViewProperty property) {
            if (property == ContentViewProperty::notice) notices.push_back(view->notice());
        });
        queue.drain();
        speechOn();
    }
    void overrun(std::uint64_t total) {
        service.overruns = total;
        service.notify(MIDINotification::inputOverrun);
        queue.drain();
    }
    // Lets the utterance under way end, so the next one is not cut off by it.
    void finishSpeaking() {
        if (view->speechAnnouncer().currentUtterance()) report(SpeechReport::finished);
    }
};

TEST(ContentViewNotices, InputOverrunsAreShownWithTheirCountAndSaidAtMostEveryTenSeconds) {
    OverrunWindow w;
    EXPECT_EQ(w.view->notice(), "");
    std::vector<std::size_t> saidSoFar;
    for (const auto& [after, total] : {std::pair{0s, 1}, {9s, 3}, {1s, 4}}) {
        w.clock.advance(after);
        w.overrun(static_cast<std::uint64_t>(total));
        saidSoFar.push_back(w.spoken().size());
        w.finishSpeaking();
    }
    EXPECT_EQ(w.notices, (std::vector<std::string>{
                             "Incoming MIDI was lost once (input overrun)",
                             "Incoming MIDI was lost 3 times (input overruns)",
                             "Incoming MIDI was lost 4 times (input overruns)",
                         }));
    EXPECT_EQ(saidSoFar, (std::vector<std::size_t>{1, 1, 2})) << "said again only after 10 s";
    EXPECT_EQ(w.spoken().back(), "Incoming MIDI was lost");
}

TEST(ContentViewNotices, ASpeechFallbackJoinsTheOverrunsAndIsSaid) {
    OverrunWindow w;
    w.view->showSpeechNotice("Speech: the built-in espeak-ng speaks from now on");
    EXPECT_EQ(w.view->notice(), "Speech: the built-in espeak-ng speaks from now on");
    w.finishSpeaking();
    w.overrun(2);
    EXPECT_EQ(w.view->notice(), "Incoming MIDI was lost 2 times (input overruns); Speech: the "
                                "built-in espeak-ng speaks from now on");
    EXPECT_EQ(w.spoken().front(), "Speech: the built-in espeak-ng speaks from now on");
}

TEST(ContentViewNotices, WithoutMIDIInputTheCauseIsShownAndSaidOnce) {
    const std::string problem = "The ALSA sequencer could not be opened: No such file or "
                                "directory; is the snd-seq module loaded?";
    struct Case {
        const char* name;
        bool narrationOnFirst;
        std::vector<std::string> spoken; // after the notice and four presses of T
    };
    const Case cases[] = {
        {"narrationOffSaysItWhenTurnedOn",
         false,
         {"TTS Short", problem, "TTS Verbose", "TTS Off", "TTS Short"}},
        {"narrationOnSaysItAtOnce",
         true,
         {problem, "TTS Verbose", "TTS Off", "TTS Short", "TTS Verbose"}},
    };
    for (const Case& c : cases) {
        OverrunWindow w;
        if (!c.narrationOnFirst) w.view->setTTSLevel(TTSLevel::off);
        w.view->showMIDINotice(problem);
        EXPECT_EQ(w.view->notice(), problem) << c.name;
        for (int press = 0; press < 4; ++press) {
            w.finishSpeaking();
            w.view->handleKey("t");
        }
        w.finishSpeaking();
        EXPECT_EQ(w.spoken(), c.spoken) << c.name;
        // After T's confirmation it is a reading of its own, which a screen reader may cut.
        const auto& calls = w.log->calls;
        const auto said =
            std::ranges::find(calls, problem, [](const auto& call) { return call.utterance.text; });
        ASSERT_NE(said, calls.end()) << c.name;
        EXPECT_EQ(said->utterance.kind,
                  c.narrationOnFirst ? UtteranceKind::confirmation : UtteranceKind::reading)
            << c.name;
        w.overrun(1);
        EXPECT_EQ(w.view->notice(), problem + "; Incoming MIDI was lost once (input overrun)")
            << c.name;
    }
}

} // namespace
} // namespace umbrascope
