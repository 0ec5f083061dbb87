#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/Hex.hpp"
#include "midi/EventPackets.hpp"
#include "midi/MIDI1StreamTranslator.hpp"

namespace umbrascope {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint32_t>;
enum Ports { m1, m2, both };

// Words as hex, so that a failing comparison is readable.
std::string hex(const Words& words) {
    std::string text;
    for (const auto word : words) {
        hex::append(text, word, 8);
        text += ' ';
    }
    return text;
}

Words translate(MIDIProtocol protocol, const Bytes& bytes) {
    MIDI1StreamTranslator translator(protocol);
    Words out;
    translator.translate(bytes, out);
    return out;
}

Words translate(MIDIProtocol protocol, const Words& words) {
    UMPTranslator translator(protocol);
    Words out;
    translator.translateWords(words, out);
    return out;
}

// A MIDI 1.0 byte stream or UMP packets as they reach a port, and what the port passes on.
struct Case {
    const char* name;
    Ports ports;
    Bytes bytes;
    Words packets;
    Words expected;
};

// clang-format off
const Case cases[] = {
    // MIDI 1.0 port: the byte stream's packets as they are.
    {"M1EveryChannelVoiceStatus", m1, {0x80, 0x3C, 0x40, 0x91, 0x3C, 0x00, 0xA2, 0x3C, 0x7F, 0xB3, 0x07, 0x64, 0xC4, 0x05, 0xD5, 0x40, 0xEF, 0x00, 0x40}, {},
     {0x20803C40, 0x20913C00, 0x20A23C7F, 0x20B30764, 0x20C40500, 0x20D54000, 0x20EF0040}},
    {"M1BankSelectIsPlainCC", m1, {0xB0, 0x00, 0x01, 0xB0, 0x20, 0x02}, {}, {0x20B00001, 0x20B02002}},
    {"M1RealTime", m1, {0xF8, 0xFA, 0xFB, 0xFC, 0xFE, 0xFF}, {}, {0x10F80000, 0x10FA0000, 0x10FB0000, 0x10FC0000, 0x10FE0000, 0x10FF0000}},
    {"M1RunningStatusOneDataByte", m1, {0xC0, 0x01, 0x02}, {}, {0x20C00100, 0x20C00200}},
    {"M1RunningStatusAcrossRealTime", m1, {0x90, 0x3C, 0x40, 0xF8, 0x3E, 0xFE, 0x41}, {}, {0x20903C40, 0x10F80000, 0x10FE0000, 0x20903E41}},
    {"M1UndefinedRealTimeDroppedKeepsRunningStatus", m1, {0x90, 0x3C, 0x40, 0xF9, 0xFD, 0x3E, 0x41}, {}, {0x20903C40, 0x20903E41}},
    {"M1NoRunningStatusForCommon", m1, {0xF1, 0x10, 0x20, 0xF2, 0x01, 0x02, 0x03, 0xF3, 0x04, 0x05}, {}, {0x10F11000, 0x10F20102, 0x10F30400}},
    {"M1StrayDataDropped", m1, {1, 2, 3, 4, 5, 6, 7, 0x90, 0x3C, 0x40}, {}, {0x20903C40}},
    {"M1CommonCancelsRunningStatus", m1, {0x90, 0x3C, 0x40, 0xF6, 0x3E, 0x40}, {}, {0x20903C40, 0x10F60000}},
    {"M1StrayEndCancelsRunningStatus", m1, {0x90, 0x3C, 0x40, 0xF7, 0x3E, 0x40}, {}, {0x20903C40}},
    {"M1UndefinedCommonDropsHalfMessage", m1, {0x90, 0x3C, 0xF5, 0x40, 0xF4}, {}, {}},
    {"M1StatusDropsHalfMessage", m1, {0x90, 0x3C, 0xB0, 0x07, 0x64}, {}, {0x20B00764}},
    {"M1SysExCancelsRunningStatus", m1, {0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7, 0x3E, 0x40}, {}, {0x20903C40, 0x30010100, 0x00000000}},
    {"M1StatusEndsSysExAfterStart", m1, {0xF0, 1, 2, 3, 4, 5, 6, 7, 0xB0, 0x07, 0x64}, {}, {0x30160102, 0x03040506, 0x30310700, 0x00000000, 0x20B00764}},
    // SysEx framing is the same for both ports.
    {"SysExEmpty", both, {0xF0, 0xF7}, {}, {0x30000000, 0x00000000}},
    {"SysExSixBytesOneComplete", both, {0xF0, 1, 2, 3, 4, 5, 6, 0xF7}, {}, {0x30060102, 0x03040506}},
    {"SysExThirteenBytes", both, {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0xF7}, {},
     {0x30160102, 0x03040506, 0x30260708, 0x090A0B0C, 0x30310D00, 0x00000000}},
    {"SysExRealTimeAtPacketBoundary", both, {0xF0, 1, 2, 3, 4, 5, 6, 0xFE, 7, 0xF7}, {}, {0x10FE0000, 0x30160102, 0x03040506, 0x30310700, 0x00000000}},
    {"SysExEndedByTuneRequest", both, {0xF0, 1, 0xF6}, {}, {0x30010100, 0x00000000, 0x10F60000}},
    {"SysExEndedByNewSysEx", both, {0xF0, 1, 0xF0, 2, 0xF7}, {}, {0x30010100, 0x00000000, 0x30010200, 0x00000000}},
    {"SysExUnfinishedStaysPending", both, {0xF0, 1, 2, 3, 4, 5, 6, 7}, {}, {0x30160102, 0x03040506}},
    // MIDI 2.0 port: the default translation.
    {"M2EveryChannelVoiceStatus", m2, {0x80, 0x3C, 0x41, 0x91, 0x3C, 0x40, 0xA2, 0x3C, 0x7F, 0xB3, 0x07, 0x40, 0xC4, 0x05, 0xD5, 0x7F, 0xE6, 0x00, 0x40}, {},
     {0x40803C00, 0x82080000, 0x40913C00, 0x80000000, 0x40A23C00, 0xFFFFFFFF, 0x40B30700, 0x80000000, 0x40C40000, 0x05000000, 0x40D50000, 0xFFFFFFFF, 0x40E60000, 0x80000000}},
    {"M2NoteOnVelocity0IsNoteOffAtCentre", m2, {0x90, 0x3C, 0x40, 0xF8, 0x3C, 0x00}, {}, {0x40903C00, 0x80000000, 0x10F80000, 0x40803C00, 0x80000000}},
    {"M2ProgramDisarmsBank", m2, {0xB0, 0x00, 0x01, 0xC0, 0x05, 0xC0, 0x06}, {}, {0x40C00001, 0x05000100, 0x40C00000, 0x06000000}},
    {"M2BankValuesStayRemembered", m2, {0xB0, 0x00, 0x01, 0xB0, 0x20, 0x02, 0xC0, 0x05, 0xB0, 0x20, 0x03, 0xC0, 0x06}, {}, {0x40C00001, 0x05000102, 0x40C00001, 0x06000103}},
    {"M2BankIsPerChannel", m2, {0xB0, 0x00, 0x01, 0xC1, 0x05, 0xC0, 0x06}, {}, {0x40C10000, 0x05000000, 0x40C00001, 0x06000100}},
    {"M2RpnLsbBeforeMsb", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x01, 0xB0, 0x26, 0x00, 0xB0, 0x06, 0x40}, {}, {0x40200001, 0x80000000}},
    {"M2RpnRepeatedDataEntry", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x06, 0x02, 0xB0, 0x26, 0x00, 0xB0, 0x06, 0x7F, 0xB0, 0x26, 0x7F}, {},
     {0x40200000, 0x04000000, 0x40200000, 0xFFFFFFFF}},
    {"M2RpnMsbOnlyWaitsForParameterByte", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x06, 0x0C, 0xB0, 0x07, 0x64}, {}, {0x40B00700, 0xC9249249}},
    {"M2RpnMsbOnlySentByParameterByte", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x06, 0x0C, 0xB0, 0x65, 0x00}, {}, {0x40200000, 0x18000000}},
    // After a whole value, a lone LSB goes out with an MSB of 0, not the last one.
    {"M2RpnLsbOnlySentByParameterByte", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x01, 0xB0, 0x06, 0x05, 0xB0, 0x26, 0x00, 0xB0, 0x26, 0x05, 0xB0, 0x64, 0x02}, {},
     {0x40200001, 0x0A000000, 0x40200001, 0x00140000}},
    {"M2RpnNullSendsPendingThenDeselects", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x06, 0x0C, 0xB0, 0x65, 0x7F, 0xB0, 0x64, 0x7F, 0xB0, 0x06, 0x01, 0xB0, 0x26, 0x01}, {},
     {0x40200000, 0x18000000}},
    {"M2DataEntryWithoutParameterDropped", m2, {0xB0, 0x06, 0x01, 0xB0, 0x26, 0x01}, {}, {}},
    {"M2NrpnAllOnesIsNoNull", m2, {0xB0, 0x63, 0x7F, 0xB0, 0x62, 0x7F, 0xB0, 0x06, 0x7F, 0xB0, 0x26, 0x7F}, {}, {0x40307F7F, 0xFFFFFFFF}},
    {"M2KindSelectedLastWins", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x63, 0x05, 0xB0, 0x06, 0x40, 0xB0, 0x26, 0x00, 0xB0, 0x64, 0x03, 0xB0, 0x06, 0x40, 0xB0, 0x26, 0x00}, {},
     {0x40300500, 0x80000000, 0x40200003, 0x80000000}},
    {"M2SameHalfTwiceSendsTheFirst", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB0, 0x06, 0x01, 0xB0, 0x06, 0x02, 0xB0, 0x26, 0x00}, {},
     {0x40200000, 0x02000000, 0x40200000, 0x04000000}},
    {"M2ParameterIsPerChannel", m2, {0xB0, 0x65, 0x00, 0xB0, 0x64, 0x00, 0xB1, 0x06, 0x01, 0xB1, 0x26, 0x00}, {}, {}},
    // UMP packets: what the port does not carry is translated, the rest passes.
    {"UmpM1UtilitySystemMidi1AndSysEx7Pass", m1, {}, {0x00200010, 0x10F80000, 0x20903C64, 0x30167E7F, 0x00010203},
     {0x00200010, 0x10F80000, 0x20903C64, 0x30167E7F, 0x00010203}},
    {"UmpM1EveryChannelVoiceStatus", m1, {}, {0x41823C00, 0x80000000, 0x40903C00, 0xFFFF0000, 0x40A03C00, 0x80000000, 0x40B30700, 0xC9249249,
      0x40C00000, 0x05000102, 0x40D00000, 0xFFFFFFFF, 0x40E00000, 0x80000000},
     {0x21823C40, 0x20903C7F, 0x20A03C40, 0x20B30764, 0x20C00500, 0x20D07F00, 0x20E00040}},
    {"UmpM1NoteOnTinyVelocityBecomes1", m1, {}, {0x40903C00, 0x01FF0000}, {0x20903C01}},
    {"UmpM1ProgramWithBank", m1, {}, {0x40C50001, 0x05000102}, {0x20B50001, 0x20B52002, 0x20C50500}},
    {"UmpM1RegisteredController", m1, {}, {0x40220001, 0x04000000}, {0x20B26500, 0x20B26401, 0x20B20602, 0x20B22600}},
    {"UmpM1AssignableController", m1, {}, {0x40330102, 0xFFFFFFFF}, {0x20B36301, 0x20B36202, 0x20B3067F, 0x20B3267F}},
    {"UmpM1PerNoteRelativeAndManagementDropped", m1, {}, {0x40003C01, 0x80000000, 0x40500001, 0x80000000, 0x40F03C01, 0x00000000}, {}},
    {"UmpM1DroppedPacketsDoNotSwallowTheNext", m1, {}, {0x50160000, 1, 2, 3, 0xD0100100, 0, 0, 0, 0x10F80000}, {0x10F80000}},
    {"UmpM1CutShortCountsMissingWordAsZero", m1, {}, {0x40903C00}, {0x20903C01}},
    {"UmpM2Midi1Upscaled", m2, {}, {0x23903C64}, {0x43903C00, 0xC9240000}},
    {"UmpM2OtherTypesPass", m2, {}, {0x40903C00, 0x00010000, 0x50160000, 1, 2, 3, 0xF0000101, 0, 0, 0},
     {0x40903C00, 0x00010000, 0x50160000, 1, 2, 3, 0xF0000101, 0, 0, 0}},
    {"UmpM2BankIsPerGroup", m2, {}, {0x20B00001, 0x21C00500, 0x20C00600}, {0x41C00000, 0x05000000, 0x40C00001, 0x06000100}},
};
// clang-format on

class Translate : public ::testing::TestWithParam<Case> {};

TEST_P(Translate, ToThePortsProtocol) {
    const auto& c = GetParam();
    for (const auto& [ports, protocol] :
         {std::pair{m1, MIDIProtocol::midi1}, {m2, MIDIProtocol::midi2}}) {
        if (c.ports == ports || c.ports == both) {
            EXPECT_EQ(hex(c.bytes.empty() ? translate(protocol, c.packets)
                                          : translate(protocol, c.bytes)),
                      hex(c.expected))
                << static_cast<int>(protocol);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Translation, Translate, ::testing::ValuesIn(cases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Translation, GroupIsStampedOnEveryPacket) {
    MIDI1StreamTranslator translator(MIDIProtocol::midi2, 5);
    Words out;
    translator.translate(Bytes{0xF8, 0xF0, 0xF7, 0x90, 0x3C, 0x7F}, out);
    EXPECT_EQ(hex(out), hex({0x15F80000, 0x35000000, 0x00000000, 0x45903C00, 0xFFFF0000}));
}

// Every kind of message, SysEx of every length, running status and stray data bytes, cut into
// chunks at random, so that chunk boundaries fall at every point of their framing.
TEST(Translation, AnySplitOfAStreamGivesTheWordsOfTheWhole) {
    std::mt19937 random(14);
    Bytes bytes(20000);
    for (auto& byte : bytes) {
        const auto roll = random() % 100;
        byte = roll < 4 ? 0xF0
                        : static_cast<std::uint8_t>(roll < 24 ? 0x80 | random() : random() & 0x7Fu);
    }
    for (const auto protocol : {MIDIProtocol::midi1, MIDIProtocol::midi2}) {
        const Words whole = translate(protocol, bytes);
        MIDI1StreamTranslator translator(protocol);
        Words pieces;
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + random() % 700);
            translator.translate(std::span(bytes).subspan(at, n), pieces);
            at += n;
        }
        EXPECT_GT(whole.size(), bytes.size() / 4);
        EXPECT_TRUE(pieces == whole) << "protocol " << static_cast<int>(protocol);
    }
}

// Event packets of at most 64 words that never cut a UMP packet, and together hold every word.
TEST(Translation, EventPacketsOfAtMostSixtyFourWordsNeverCutAPacket) {
    Words sysExThenFlex; // 21 two-word packets, then 6 four-word packets: 66 words
    for (int i = 0; i < 21; ++i)
        sysExThenFlex.insert(sysExThenFlex.end(), {0x30160102, 0x03040506});
    for (int i = 0; i < 6; ++i)
        sysExThenFlex.insert(sysExThenFlex.end(), {0xD0100100, 1, 2, 3});
    const std::pair<Words, std::vector<std::size_t>> lists[] = {
        {sysExThenFlex, {62, 4}},
        {Words(64, 0x10F80000), {64}},
        {Words(65, 0x10F80000), {64, 1}},
        {{}, {}},
    };
    for (const auto& [words, sizes] : lists) {
        EventList list;
        addPacketsToEventList(list, words);
        std::vector<std::size_t> made;
        Words joined;
        list.forEach([&](const EventPacketView& packet) {
            made.push_back(packet.present.size());
            joined.insert(joined.end(), packet.present.begin(), packet.present.end());
        });
        EXPECT_EQ(made, sizes) << words.size() << " words";
        EXPECT_EQ(joined, words);
    }
}

} // namespace
} // namespace umbrascope
