#include <gtest/gtest.h>

#include <chrono>

#include "app/Notices.hpp"
#include "support/FakeClock.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;

TEST(Notices, TheLineJoinsWhatIsWrongInItsOrder) {
    const std::string midi = "The ALSA sequencer could not be opened";
    const std::string speech = "Speech: the built-in espeak-ng speaks from now on";
    const struct {
        bool midi;
        std::uint64_t overruns;
        bool speech;
        std::string line;
    } rows[] = {
        {false, 0, false, ""},
        {false, 1, false, "Incoming MIDI was lost once (input overrun)"},
        {false, 2, false, "Incoming MIDI was lost 2 times (input overruns)"},
        {true, 0, false, midi},
        {false, 0, true, speech},
        {true, 0, true, midi + "; " + speech},
        {false, 3, true, "Incoming MIDI was lost 3 times (input overruns); " + speech},
        {true, 1, true, midi + "; Incoming MIDI was lost once (input overrun); " + speech},
    };
    for (const auto& row : rows) {
        Notices notices;
        if (row.midi) notices.showMIDINotice(midi, false);
        if (row.speech) notices.showSpeechNotice(speech);
        EXPECT_EQ(notices.line(row.overruns), row.line);
    }
}

TEST(Notices, AFileNoticeComesLastAndTheNextFileReplacesIt) {
    Notices notices;
    notices.showSpeechNotice("Speech failed");
    notices.showFileNotice("Capture not opened: a.ump:3: expected a packet");
    EXPECT_EQ(notices.line(0), "Speech failed; Capture not opened: a.ump:3: expected a packet");
    notices.showFileNotice("");
    EXPECT_EQ(notices.line(0), "Speech failed");
}

TEST(Notices, TheMIDINoticeIsSaidOnceWhenShownOrWhenNarrationFirstComesOn) {
    Notices notices;
    EXPECT_EQ(notices.takeUnsaidMIDINotice(), std::nullopt) << "no notice yet";

    EXPECT_EQ(notices.showMIDINotice("No input", false), "No input");
    EXPECT_EQ(notices.midiNotice(), "No input");
    EXPECT_EQ(notices.takeUnsaidMIDINotice(), "No input");
    EXPECT_EQ(notices.takeUnsaidMIDINotice(), std::nullopt);

    notices.showMIDINotice("Still no input", true);
    EXPECT_EQ(notices.takeUnsaidMIDINotice(), std::nullopt) << "said when shown";
}

TEST(Notices, OverrunsAreSaidAtMostOncePerInterval) {
    static_assert(Notices::overrunSpeechInterval == 10s);
    FakeClock clock;
    Notices notices;
    std::vector<bool> said;
    for (const auto step : {0s, 9s, 0s, 1s, 5s, 5s, 30s}) {
        clock.advance(step);
        said.push_back(notices.inputOverran(clock.monotonicNow()).has_value());
    }
    EXPECT_EQ(said, (std::vector<bool>{true, false, false, true, false, true, true}));
    clock.advance(10s);
    EXPECT_EQ(notices.inputOverran(clock.monotonicNow()), "Incoming MIDI was lost");
}

} // namespace
} // namespace umbrascope
