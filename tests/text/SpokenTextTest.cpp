#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/MessageFactory.hpp"
#include "text/SpokenText.hpp"

namespace umbrascope {
namespace {

using testing_support::makeMessage;
using Status = std::optional<RunningVoiceStatus>;
constexpr Status none = std::nullopt;
constexpr Status on = RunningVoiceStatus::noteOn;
constexpr Status off = RunningVoiceStatus::noteOff;

std::string show(const std::optional<std::string>& text) {
    return text ? *text : "<nothing>";
}
std::string show(const char* text) {
    return text ? text : "<nothing>";
}

// nullptr stands for nothing spoken.
struct SpokenCase {
    const char* name;
    PacketWords words;
    Status before;
    const char* shortText;
    const char* verboseText;
    Status after;
};

class Spoken : public testing::TestWithParam<SpokenCase> {};

TEST_P(Spoken, ShortAndVerboseUpdateTheStatusAlike) {
    const auto& c = GetParam();
    const MIDIMessage message = makeMessage(c.words);
    Status shortStatus = c.before;
    Status verboseStatus = c.before;
    EXPECT_EQ(show(spokenText(message, TTSLevel::short_, shortStatus)), show(c.shortText));
    EXPECT_EQ(show(spokenText(message, TTSLevel::verbose, verboseStatus)), show(c.verboseText));
    EXPECT_EQ(shortStatus, c.after) << "short";
    EXPECT_EQ(verboseStatus, c.after) << "verbose";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Examples, Spoken,
    testing::Values(
        SpokenCase{"m1NoteOn", {0x20903C64}, none, "Note On C4", "Note On C4 Velocity 78.74 Percent Channel 1", on},
        SpokenCase{"m1NoteOnInRun", {0x20904064}, on, "E4", "Note On E4 Velocity 78.74 Percent Channel 1", on},
        SpokenCase{"m1NoteOnVelocity0", {0x20903D00}, on, "C sharp 4 Off", "Note Off C sharp 4 Velocity 0.00 Percent Channel 1", off},
        SpokenCase{"m1NoteOff", {0x208F3C40}, on, "C4 Off", "Note Off C4 Velocity 50.39 Percent Channel 16", off},
        SpokenCase{"m1Volume", {0x20B0077F}, on, "CC7 100", "CC7 Volume 100.00 Percent Channel 1", none},
        SpokenCase{"m1PanRight", {0x20B00A60}, none, "Pan Right 50", "Pan Right 50.79 Percent Channel 1", none},
        SpokenCase{"m1BendCentre", {0x20E00040}, none, "Bend Center", "Pitch Bend Center Channel 1", none},
        SpokenCase{"m1BendBottom", {0x20E00000}, none, "Bend -100", "Pitch Bend -100.00 Percent Channel 1", none},
        SpokenCase{"m1Program", {0x20C00500}, on, "Program 5", "Program Change 5 Channel 1", none},
        SpokenCase{"m1PolyPressure", {0x20A03C40}, none, "C4 Pressure 50", "Polyphonic Aftertouch C4 Pressure 50.39 Percent Channel 1", none},
        SpokenCase{"m1ChannelPressure", {0x20D07F00}, none, "Pressure 100", "Channel Aftertouch Pressure 100.00 Percent Channel 1", none},
        SpokenCase{"m1Opcode3Silent", {0x20303C40}, on, nullptr, nullptr, none},
        SpokenCase{"m2ChannelPressure", {0x40D00000, 0x40000000}, none, "Pressure 25", "Channel Aftertouch Pressure 25.00 Percent Channel 1", none},
        SpokenCase{"m2NoteOnHalfVelocity", {0x40903C00, 0x80000000}, none, "Note On C4", "Note On C4 Velocity 50.00 Percent Channel 1", on},
        SpokenCase{"m2NoteOnVelocity0", {0x40903C00, 0x0000FFFF}, on, "C4 Off", "Note Off C4 Velocity 0.00 Percent Channel 1", off},
        SpokenCase{"m2ControllerAbove127", {0x40B0C800, 0xFFFFFFFF}, none, "CC200 100", "CC200 100.00 Percent Channel 1", none},
        SpokenCase{"m2Pan", {0x40B00A00, 0x80000000}, none, "Pan Center", "Pan Center Channel 1", none},
        SpokenCase{"m2ProgramIgnoresBank", {0x40C00001, 0x05000102}, none, "Program 5", "Program Change 5 Channel 1", none},
        SpokenCase{"m2BendAbove", {0x40E00000, 0xC0000000}, none, "Bend +50", "Pitch Bend +50.00 Percent Channel 1", none},
        SpokenCase{"m2RpnFallback", {0x40200006, 0x80000000}, on, "MIDI 2.0 Channel Voice", "Registered Controller (RPN) 0/6: 2147483648 (50.00%) \u2014 Ch 1, Grp 1", none},
        SpokenCase{"m2CutShortLeavesStatus", {0x40903C00}, on, nullptr, nullptr, on},
        SpokenCase{"songPosition", {0x10F21002}, on, "Song Position", "Song Position Pointer 272", none},
        SpokenCase{"quarterFrame", {0x10F17F00}, none, "Quarter Frame", "MIDI Time Code Quarter Frame 127", none},
        SpokenCase{"start", {0x10FA0000}, none, "Start", "Start", none},
        SpokenCase{"systemF4", {0x10F40000}, on, nullptr, nullptr, none},
        SpokenCase{"clockSilentKeepsStatus", {0x10F80000}, on, nullptr, nullptr, on},
        SpokenCase{"utilitySilentKeepsStatus", {0x00201234}, on, nullptr, nullptr, on},
        SpokenCase{"sysEx7", {0x30160000, 0}, on, "Siss-Ex", "System Exclusive", none},
        SpokenCase{"mixedDataSet", {0x50800000, 0, 0, 0}, none, "Siss-Ex", "System Exclusive", none},
        SpokenCase{"umpStream", {0xF0060000, 0, 0, 0}, on, "U. M. Pea Stream", "U. M. Pea Stream message, status 0x6", none},
        SpokenCase{"flexData", {0xD0000000, 0, 0, 0}, on, "Flex Data", "Complete Flex Data: Set Tempo \u2014 Grp 1", none},
        SpokenCase{"unknown", {0x60000000}, on, "Unknown", "Unrecognized message type", none}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(SpokenText, LevelOffIsSilentAndKeepsTheStatus) {
    for (const PacketWords words : {PacketWords{0x20903C64}, PacketWords{0x30160000, 0},
                                    PacketWords{0xF0200000, 0, 0, 0}, PacketWords{0x10FA0000}}) {
        for (const Status before : {none, on, off}) {
            Status status = before;
            EXPECT_EQ(spokenText(makeMessage(words), TTSLevel::off, status), std::nullopt);
            EXPECT_EQ(status, before);
        }
    }
}

TEST(WithSpokenUMP, ReplacesEveryOccurrenceCaseSensitively) {
    EXPECT_EQ(withSpokenUMP("UMPUMP and UMP, ump, UM P"),
              "U. M. PeaU. M. Pea and U. M. Pea, ump, UM P");
}

// The short form of a run of messages, each spoken in turn with one running status.
struct RunCase {
    const char* name;
    std::vector<PacketWords> words;
    std::vector<const char*> shortTexts;
};

class RunningStatus : public testing::TestWithParam<RunCase> {};

TEST_P(RunningStatus, ShortTextsOfARun) {
    const auto& c = GetParam();
    ASSERT_EQ(c.words.size(), c.shortTexts.size());
    Status status;
    for (std::size_t i = 0; i < c.words.size(); ++i)
        EXPECT_EQ(show(spokenText(makeMessage(c.words[i]), TTSLevel::short_, status)),
                  show(c.shortTexts[i]))
            << "message " << i;
}

const PacketWords noteOnC4{0x20903C64};
const PacketWords noteOnE4{0x20904064};
const PacketWords noteOnG4{0x20904364};

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Sequences, RunningStatus,
    testing::Values(
        RunCase{"silentMessagesKeepTheRun", {noteOnC4, {0x10F80000}, noteOnE4, {0x10FE0000}, {0x00000000}, noteOnG4}, {"Note On C4", nullptr, "E4", nullptr, nullptr, "G4"}},
        RunCase{"controlChangeBreaksTheRun", {noteOnC4, {0x20B00740}, noteOnE4, noteOnG4}, {"Note On C4", "CC7 50", "Note On E4", "G4"}},
        RunCase{"noteOffBreaksTheRun", {noteOnC4, {0x20803C00}, noteOnE4}, {"Note On C4", "C4 Off", "Note On E4"}},
        RunCase{"silentSystemStatusStillBreaksTheRun", {noteOnC4, {0x10F40000}, noteOnE4}, {"Note On C4", nullptr, "Note On E4"}},
        RunCase{"midi2AndMidi1ShareTheRun", {{0x40903C00, 0xFFFF0000}, noteOnE4, {0x40904300, 0x00010000}}, {"Note On C4", "E4", "G4"}},
        RunCase{"truncatedMidi2KeepsTheRun", {noteOnC4, {0x40B00700}, noteOnE4}, {"Note On C4", nullptr, "E4"}}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// Values whose percentage rounds up to the next whole number in "%.2f" while the short form
// truncates it: the two forms must disagree exactly as written.
struct PercentCase {
    const char* name;
    PacketWords words;
    const char* shortText;
    const char* verboseText;
};

class PercentBoundary : public testing::TestWithParam<PercentCase> {};

TEST_P(PercentBoundary, ShortTruncatesVerboseRounds) {
    const auto& c = GetParam();
    Status status;
    EXPECT_EQ(show(spokenText(makeMessage(c.words), TTSLevel::short_, status)), c.shortText);
    EXPECT_EQ(show(spokenText(makeMessage(c.words), TTSLevel::verbose, status)), c.verboseText);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Boundaries, PercentBoundary,
    testing::Values(
        PercentCase{"ccJustBelowFull", {0x40B00200, 0xFFFFFFFE}, "CC2 99", "CC2 100.00 Percent Channel 1"},
        PercentCase{"sustainJustBelowHalf", {0x40B04000, 0x7FFFFFFF}, "CC64 49", "CC64 Sustain 50.00 Percent Off"},
        PercentCase{"sustainAtHalf", {0x40B04000, 0x80000000}, "CC64 50", "CC64 Sustain 50.00 Percent On"},
        PercentCase{"panLeftJustBelowFull", {0x40B00A00, 0x00000001}, "Pan Left 99", "Pan Left 100.00 Percent Channel 1"},
        PercentCase{"bendJustBelowFull", {0x40E00000, 0xFFFFFFFE}, "Bend +99", "Pitch Bend +100.00 Percent Channel 1"},
        PercentCase{"bendJustAboveBottom", {0x40E00000, 0x00000001}, "Bend -99", "Pitch Bend -100.00 Percent Channel 1"},
        PercentCase{"bendJustAboveCentre", {0x40E00000, 0x80000001}, "Bend +0", "Pitch Bend +0.00 Percent Channel 1"},
        PercentCase{"m1PressureTwoThirds", {0x20D05500}, "Pressure 66", "Channel Aftertouch Pressure 66.93 Percent Channel 1"},
        PercentCase{"m1BendOneStepBelow", {0x20E07F3F}, "Bend -0", "Pitch Bend -0.01 Percent Channel 1"}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST(SpokenBuilders, DegenerateRangesSpeakZero) {
    EXPECT_EQ(controlChangeText(64, 5, 0, 0.5, 1, TTSLevel::verbose),
              "CC64 Sustain 0.00 Percent Off");
    EXPECT_EQ(panText(0, 0.5, 1, true), "Left 0");
    EXPECT_EQ(pitchBendText(3, 2, 2.5, 9, TTSLevel::verbose), "Pitch Bend +0.00 Percent Channel 9");
}

TEST(TTSLevel, RawValuesAndCycle) {
    EXPECT_EQ(rawValue(TTSLevel::off), "TTS Off");
    EXPECT_EQ(rawValue(TTSLevel::short_), "TTS Short");
    EXPECT_EQ(rawValue(TTSLevel::verbose), "TTS Verbose");
    for (const TTSLevel level : allTTSLevels)
        EXPECT_EQ(ttsLevelFromRaw(rawValue(level)), level);
    EXPECT_EQ(ttsLevelFromRaw("tts short"), std::nullopt);
    EXPECT_EQ(ttsLevelFromRaw("TTS Short "), std::nullopt);
    EXPECT_EQ(nextTTSLevel(TTSLevel::off), TTSLevel::short_);
    EXPECT_EQ(nextTTSLevel(TTSLevel::short_), TTSLevel::verbose);
    EXPECT_EQ(nextTTSLevel(TTSLevel::verbose), TTSLevel::off);
}

} // namespace
} // namespace umbrascope
