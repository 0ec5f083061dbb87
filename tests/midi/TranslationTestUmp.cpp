#include <gtest/gtest.h>

#include "TranslationTestSupport.hpp"

namespace umbrascope::testing {
namespace {

struct UmpCase {
    const char* name;
    Words input;
    Words expected;
};

const UmpCase toMidi1Cases[] = {
    {"UtilitySystemMidi1AndSysEx7Pass",
     {0x00200010, 0x10F80000, 0x20903C64, 0x30167E7F, 0x00010203},
     {0x00200010, 0x10F80000, 0x20903C64, 0x30167E7F, 0x00010203}},
    {"EveryChannelVoiceStatus",
     {0x41823C00, 0x80000000, 0x40903C00, 0xFFFF0000, 0x40A03C00, 0x80000000, 0x40B30700,
      0xC9249249, 0x40C00000, 0x05000102, 0x40D00000, 0xFFFFFFFF, 0x40E00000, 0x80000000},
     {0x21823C40, 0x20903C7F, 0x20A03C40, 0x20B30764, 0x20C00500, 0x20D07F00, 0x20E00040}},
    {"NoteOnTinyVelocityBecomes1", {0x40903C00, 0x01FF0000}, {0x20903C01}},
    {"ProgramWithBank", {0x40C50001, 0x05000102}, {0x20B50001, 0x20B52002, 0x20C50500}},
    {"RegisteredController",
     {0x40220001, 0x04000000},
     {0x20B26500, 0x20B26401, 0x20B20602, 0x20B22600}},
    {"AssignableController",
     {0x40330102, 0xFFFFFFFF},
     {0x20B36301, 0x20B36202, 0x20B3067F, 0x20B3267F}},
    {"PerNoteRelativeAndManagementDropped",
     {0x40003C01, 0x80000000, 0x40500001, 0x80000000, 0x40F03C01, 0x00000000},
     {}},
    {"DroppedPacketsDoNotSwallowTheNext",
     {0x50160000, 1, 2, 3, 0xD0100100, 0, 0, 0, 0x10F80000},
     {0x10F80000}},
    {"TruncatedMidi2CountsMissingWordAsZero", {0x40903C00}, {0x20903C01}},
};

const UmpCase toMidi2Cases[] = {
    {"Midi1Upscaled", {0x23903C64}, {0x43903C00, 0xC9240000}},
    {"OtherTypesPass",
     {0x40903C00, 0x00010000, 0x50160000, 1, 2, 3, 0xF0000101, 0, 0, 0},
     {0x40903C00, 0x00010000, 0x50160000, 1, 2, 3, 0xF0000101, 0, 0, 0}},
    {"BankStateIsPerGroup",
     {0x20B00001, 0x21C00500, 0x20C00600},
     {0x41C00000, 0x05000000, 0x40C00001, 0x06000100}},
};

class UmpToMidi1Port : public ::testing::TestWithParam<UmpCase> {};
class UmpToMidi2Port : public ::testing::TestWithParam<UmpCase> {};

TEST_P(UmpToMidi1Port, ShiftsDownOrDrops) {
    const auto& c = GetParam();
    EXPECT_EQ(hex(translateUmp(MidiProtocol::midi1, c.input)), hex(c.expected));
}

TEST_P(UmpToMidi2Port, UpscalesMidi1AndPassesTheRest) {
    const auto& c = GetParam();
    EXPECT_EQ(hex(translateUmp(MidiProtocol::midi2, c.input)), hex(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Translation, UmpToMidi1Port, ::testing::ValuesIn(toMidi1Cases),
                         CaseName{});
INSTANTIATE_TEST_SUITE_P(Translation, UmpToMidi2Port, ::testing::ValuesIn(toMidi2Cases),
                         CaseName{});

TEST(UmpRoundTrip, EveryMidi1ChannelVoiceMessageSurvivesUpAndDown) {
    // Bank select and (N)RPN are folded on the way up and unfolded on the way down, so they are
    // left out; every other status and value must come back unchanged.
    for (const std::uint32_t status : {0x80u, 0x90u, 0xA0u, 0xB0u, 0xC0u, 0xD0u, 0xE0u}) {
        for (std::uint32_t value = 1; value < 128; value += 7) {
            const std::uint32_t d1 = status == 0xB0u ? 7u : 0x3Cu;
            const std::uint32_t word = 0x20000000u | status << 16 | d1 << 8 | value;
            const bool oneByte = status == 0xC0u || status == 0xD0u;
            const std::uint32_t input = oneByte ? (0x20000000u | status << 16 | value << 8) : word;
            const auto up = translateUmp(MidiProtocol::midi2, {input});
            EXPECT_EQ(hex(translateUmp(MidiProtocol::midi1, up)), hex({input}))
                << "status " << std::hex << status << " value " << std::dec << value;
        }
    }
}

} // namespace
} // namespace umbrascope::testing
