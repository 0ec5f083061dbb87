#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "TranslationTestSupport.hpp"

namespace umbrascope::testing {
namespace {

const TranslationCase midi1PortCases[] = {
    {"EveryChannelVoiceStatus",
     {0x80, 0x3C, 0x40, 0x91, 0x3C, 0x00, 0xA2, 0x3C, 0x7F, 0xB3, 0x07, 0x64, 0xC4, 0x05, 0xD5,
      0x40, 0xEF, 0x00, 0x40},
     {0x20803C40, 0x20913C00, 0x20A23C7F, 0x20B30764, 0x20C40500, 0x20D54000, 0x20EF0040}},
    {"BankSelectPassesAsPlainCC", {0xB0, 0x00, 0x01, 0xB0, 0x20, 0x02}, {0x20B00001, 0x20B02002}},
    {"UndefinedCommonDropped", {0xF4, 0xF5}, {}},
    {"RealTime",
     {0xF8, 0xFA, 0xFB, 0xFC, 0xFE, 0xFF},
     {0x10F80000, 0x10FA0000, 0x10FB0000, 0x10FC0000, 0x10FE0000, 0x10FF0000}},
    {"RunningStatusOneDataByte", {0xC0, 0x01, 0x02}, {0x20C00100, 0x20C00200}},
    {"RunningStatusAcrossRealTime",
     {0x90, 0x3C, 0x40, 0xF8, 0x3E, 0xFE, 0x41},
     {0x20903C40, 0x10F80000, 0x10FE0000, 0x20903E41}},
    {"RealTimeInsideMessage", {0x90, 0x3C, 0xF8, 0x40}, {0x10F80000, 0x20903C40}},
    {"UndefinedRealTimeKeepsRunningStatus",
     {0x90, 0x3C, 0x40, 0xF9, 0xFD, 0x3E, 0x41},
     {0x20903C40, 0x20903E41}},
    {"NoRunningStatusForCommon",
     {0xF1, 0x10, 0x20, 0xF2, 0x01, 0x02, 0x03, 0xF3, 0x04, 0x05},
     {0x10F11000, 0x10F20102, 0x10F30400}},
    {"StrayDataDropped", {0x3C, 0x40, 0x90, 0x3C, 0x40}, {0x20903C40}},
    {"CommonCancelsRunningStatus", {0x90, 0x3C, 0x40, 0xF6, 0x3E, 0x40}, {0x20903C40, 0x10F60000}},
    {"StrayEndCancelsRunningStatus", {0x90, 0x3C, 0x40, 0xF7, 0x3E, 0x40}, {0x20903C40}},
    {"UndefinedCommonDropsHalfMessage", {0x90, 0x3C, 0xF5, 0x40}, {}},
    {"StatusDropsHalfMessage", {0x90, 0x3C, 0xB0, 0x07, 0x64}, {0x20B00764}},
    {"SysExCancelsRunningStatus",
     {0x90, 0x3C, 0x40, 0xF0, 0x01, 0xF7, 0x3E, 0x40},
     {0x20903C40, 0x30010100, 0x00000000}},
    {"SysExStatusEndsBeforeAnyPacket",
     {0xF0, 1, 2, 0x90, 0x3C, 0x40},
     {0x30020102, 0x00000000, 0x20903C40}},
    {"SysExStatusEndsAfterStart",
     {0xF0, 1, 2, 3, 4, 5, 6, 7, 0xB0, 0x07, 0x64},
     {0x30160102, 0x03040506, 0x30310700, 0x00000000, 0x20B00764}},
};

class Midi1PortBytes : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(Midi1PortBytes, BecomeMidi1Ump) {
    const auto& c = GetParam();
    EXPECT_EQ(hex(translateBytes(MidiProtocol::midi1, c.bytes)), hex(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Translation, Midi1PortBytes, ::testing::ValuesIn(midi1PortCases),
                         CaseName{});

// SysEx framing is the same for both port protocols.
const TranslationCase sysExCases[] = {
    {"Empty", {0xF0, 0xF7}, {0x30000000, 0x00000000}},
    {"SixBytesOneComplete", {0xF0, 1, 2, 3, 4, 5, 6, 0xF7}, {0x30060102, 0x03040506}},
    {"TwelveBytesStartEnd",
     {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0xF7},
     {0x30160102, 0x03040506, 0x30360708, 0x090A0B0C}},
    {"ThirteenBytes",
     {0xF0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0xF7},
     {0x30160102, 0x03040506, 0x30260708, 0x090A0B0C, 0x30310D00, 0x00000000}},
    {"RealTimeInside", {0xF0, 1, 2, 0xF8, 3, 0xF7}, {0x10F80000, 0x30030102, 0x03000000}},
    {"RealTimeAtPacketBoundary",
     {0xF0, 1, 2, 3, 4, 5, 6, 0xFE, 7, 0xF7},
     {0x10FE0000, 0x30160102, 0x03040506, 0x30310700, 0x00000000}},
    {"TuneRequestEndsSysExAndGoesOut", {0xF0, 1, 0xF6}, {0x30010100, 0x00000000, 0x10F60000}},
    {"NewSysExEndsTheFirst",
     {0xF0, 1, 0xF0, 2, 0xF7},
     {0x30010100, 0x00000000, 0x30010200, 0x00000000}},
    {"UnfinishedStaysPending", {0xF0, 1, 2, 3, 4, 5, 6, 7}, {0x30160102, 0x03040506}},
};

class SysExBytes : public ::testing::TestWithParam<TranslationCase> {};

TEST_P(SysExBytes, BecomeSysEx7PacketsOnBothPorts) {
    const auto& c = GetParam();
    EXPECT_EQ(hex(translateBytes(MidiProtocol::midi1, c.bytes)), hex(c.expected));
    EXPECT_EQ(hex(translateBytes(MidiProtocol::midi2, c.bytes)), hex(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Translation, SysExBytes, ::testing::ValuesIn(sysExCases), CaseName{});

TEST(ByteStream, StateCarriesAcrossChunks) {
    Midi1StreamTranslator translator(MidiProtocol::midi1);
    Words out;
    const Bytes first{0xF0, 1, 2, 3, 4, 5}, second{6, 7, 0xF7, 0x90, 0x3C}, third{0x40, 0x3E, 0x41};
    translator.translate(first, out);
    EXPECT_TRUE(out.empty());
    translator.translate(second, out);
    translator.translate(third, out);
    EXPECT_EQ(hex(out),
              hex({0x30160102, 0x03040506, 0x30310700, 0x00000000, 0x20903C40, 0x20903E41}));
}

TEST(ByteStream, GroupIsStampedOnEveryPacket) {
    Midi1StreamTranslator translator(MidiProtocol::midi2, 5);
    Words out;
    const Bytes bytes{0xF8, 0xF0, 0xF7, 0x90, 0x3C, 0x7F};
    translator.translate(bytes, out);
    EXPECT_EQ(hex(out), hex({0x15F80000, 0x35000000, 0x00000000, 0x45903C00, 0xFFFF0000}));
}

// Every kind of message, SysEx of every length, running status and stray data bytes, so that
// chunk boundaries fall at every point of their framing.
Bytes randomStream(std::size_t size) {
    std::mt19937 random(14);
    Bytes bytes(size);
    for (auto& byte : bytes) {
        const auto roll = random() % 100;
        if (roll < 4)
            byte = 0xF0;
        else
            byte = static_cast<std::uint8_t>(roll < 24 ? 0x80 | random() : random() & 0x7Fu);
    }
    return bytes;
}

TEST(ByteStream, AnySplitGivesTheWordsOfTheWholeStream) {
    const Bytes bytes = randomStream(20000);
    for (const auto protocol : {MidiProtocol::midi1, MidiProtocol::midi2}) {
        const Words whole = translateBytes(protocol, bytes);
        Midi1StreamTranslator translator(protocol);
        Words pieces;
        std::mt19937 random(7);
        for (std::size_t at = 0; at < bytes.size();) {
            const std::size_t n = std::min<std::size_t>(bytes.size() - at, 1 + random() % 700);
            translator.translate(std::span(bytes).subspan(at, n), pieces);
            at += n;
        }
        EXPECT_GT(whole.size(), bytes.size() / 4);
        EXPECT_TRUE(pieces == whole) << "protocol " << static_cast<int>(protocol);
    }
}

} // namespace
} // namespace umbrascope::testing
