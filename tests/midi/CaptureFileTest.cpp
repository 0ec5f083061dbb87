#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "midi/replay/CaptureFile.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using Words = std::vector<std::uint32_t>;

struct GoodCase {
    const char* name;
    std::string text;
    std::string sourceName;
    std::vector<Words> packets;
    std::vector<std::chrono::nanoseconds> delays;
    std::vector<std::size_t> lineNumbers;
};

class ParseCaptureGood : public testing::TestWithParam<GoodCase> {};

TEST_P(ParseCaptureGood, Reads) {
    const auto& c = GetParam();
    const Capture capture = parseCapture(c.text, "dir/take.one.ump");
    EXPECT_EQ(capture.sourceName, c.sourceName);
    ASSERT_EQ(capture.lines.size(), c.packets.size());
    for (std::size_t i = 0; i < c.packets.size(); ++i) {
        const auto words = capture.words(capture.lines[i]);
        EXPECT_EQ(Words(words.begin(), words.end()), c.packets[i]) << "packet " << i;
        if (!c.delays.empty()) {
            EXPECT_EQ(capture.lines[i].delay, c.delays[i]) << "packet " << i;
        }
        if (!c.lineNumbers.empty()) {
            EXPECT_EQ(capture.lines[i].lineNumber, c.lineNumbers[i]) << "packet " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, ParseCaptureGood,
    testing::Values(GoodCase{"plainLowerCaseWithStemName",
                             "40903c00 ffff0000\n20903C64\n",
                             "take.one",
                             {{0x40903C00, 0xFFFF0000}, {0x20903C64}},
                             {0ns, 0ns},
                             {1, 2}},
                    GoodCase{"delaysAndComments",
                             "# a phrase\n\n+0.125 20903C64  # note\n+2 20803C00\n+.5\t10F80000\n",
                             "take.one",
                             {{0x20903C64}, {0x20803C00}, {0x10F80000}},
                             {125ms, 2s, 500ms},
                             {3, 4, 5}},
                    GoodCase{"fractionBeyondNanoseconds",
                             "+0.0000000019 10F80000",
                             "take.one",
                             {{0x10F80000}},
                             {1ns},
                             {}},
                    GoodCase{"crlf",
                             "@source Pad\r\n+1 10F80000\r\n10FA0000\r\n",
                             "Pad",
                             {{0x10F80000}, {0x10FA0000}},
                             {1s, 0ns},
                             {2, 3}},
                    GoodCase{"sourceEscapes",
                             "@source A\\tB\\nC\\rD\\\\E # not a comment\n10FA0000",
                             "A\tB\nC\rD\\E # not a comment",
                             {{0x10FA0000}},
                             {},
                             {}},
                    GoodCase{"sourceAfterComments",
                             "# header\n\n@source  Two Spaces\n10FA0000",
                             " Two Spaces",
                             {{0x10FA0000}},
                             {},
                             {}},
                    GoodCase{"sixtyFourWords",
                             "+0 " +
                                 [] {
                                     std::string s;
                                     for (int i = 0; i < 64; ++i)
                                         s += "10F80000 ";
                                     return s;
                                 }(),
                             "take.one",
                             {Words(64, 0x10F80000)},
                             {},
                             {}},
                    GoodCase{"emptyFile", "", "take.one", {}, {}, {}},
                    GoodCase{"csvReadBack",
                             "Source,Hex,TTS Short,TTS Verbose\n"
                             "Keys,20903C64,C4 on,\"Note On, C4\"\n"
                             "\"Synth, \"\"Port\"\" 1\",40903C00  FFFF0000,,\n"
                             "Pad,10F80000,,\"two\nlines\"\n"
                             "Pad,\"10FA0000\",,\n",
                             "take.one",
                             {{0x20903C64}, {0x40903C00, 0xFFFF0000}, {0x10F80000}, {0x10FA0000}},
                             {0ns, 0ns, 0ns, 0ns},
                             {2, 3, 4, 6}},
                    GoodCase{
                        "csvWithBomAndCrlf",
                        "\xEF\xBB\xBFSource,Hex,TTS Short,TTS Verbose\r\nKeys,20903C64,a,b\r\n\r\n",
                        "take.one",
                        {{0x20903C64}},
                        {},
                        {2}}),
    [](const auto& p) { return p.param.name; });

struct BadCase {
    const char* name;
    std::string text;
    std::string error;
};

class ParseCaptureBad : public testing::TestWithParam<BadCase> {};

TEST_P(ParseCaptureBad, NamesFileLineAndExpectation) {
    const auto& c = GetParam();
    try {
        parseCapture(c.text, "demo.ump");
        FAIL() << "no error for " << c.name;
    } catch (const CaptureError& error) {
        EXPECT_EQ(std::string(error.what()), c.error);
    }
}

std::string words(int n) {
    std::string s;
    for (int i = 0; i < n; ++i)
        s += "10F80000 ";
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ParseCaptureBad,
    testing::Values(
        BadCase{"badWord", "10F80000\n\n\n\n\n\n\n\n\n\n\n10F8 XYZ\n",
                "demo.ump:12: expected 1 to 64 hex words of 8 digits, found '10F8'"},
        BadCase{"nineDigits", "010F80000",
                "demo.ump:1: expected 1 to 64 hex words of 8 digits, found '010F80000'"},
        BadCase{"sixtyFiveWords", words(65),
                "demo.ump:1: expected 1 to 64 hex words of 8 digits, found 65 words"},
        BadCase{"delayOnly", "+1 # pause",
                "demo.ump:1: expected 1 to 64 hex words of 8 digits, found only a delay"},
        BadCase{"badDelay", "+1e3 10F80000",
                "demo.ump:1: expected a delay +SECONDS such as +0.125, found '+1e3'"},
        BadCase{"hugeDelay", "+99999999999999999999 10F80000",
                "demo.ump:1: expected a delay of at most 86400 seconds, found "
                "'+99999999999999999999'"},
        BadCase{"delayNotFirst", "10F80000 +1",
                "demo.ump:1: expected 1 to 64 hex words of 8 digits, found '+1'"},
        BadCase{"controlBytesShownEscaped", "10F8\x1B[2J",
                "demo.ump:1: expected 1 to 64 hex words of 8 digits, found '10F8\\x1B[2J'"},
        BadCase{"badEscape", "@source A\\qB\n10F80000",
                "demo.ump:1: expected \\n, \\r, \\t or \\\\ in the source name, found '\\q'"},
        BadCase{"trailingBackslash", "@source A\\",
                "demo.ump:1: expected \\n, \\r, \\t or \\\\ in the source name, found '\\'"},
        BadCase{"emptySourceName", "@source \n",
                "demo.ump:1: expected a source name after "
                "'@source'"},
        BadCase{"sourceWithoutBlank", "@sourceX\n",
                "demo.ump:1: expected '@source NAME', found 'X'"},
        BadCase{"sourceAfterPacket", "10F80000\n@source A\n",
                "demo.ump:2: expected '@source' only once, before the first packet"},
        BadCase{"csvUnterminatedQuote", "Source,Hex,TTS Short,TTS Verbose\nA,10F80000,\"open\n",
                "demo.ump:2: expected a closing quote"},
        BadCase{"csvBadHex", "Source,Hex,TTS Short,TTS Verbose\nA,B,,\nA,10F80000,,\n",
                "demo.ump:2: expected 1 to 64 hex words of 8 digits, found 'B'"},
        BadCase{"csvOneField", "Source,Hex,TTS Short,TTS Verbose\nlonely\n",
                "demo.ump:2: expected the fields Source,Hex,TTS Short,TTS Verbose, found "
                "'lonely'"},
        BadCase{"csvTextAfterQuote", "Source,Hex,TTS Short,TTS Verbose\n\"A\"x,10F80000\n",
                "demo.ump:2: expected ',' after a closing quote, found 'x'"}),
    [](const auto& p) { return p.param.name; });

TEST(CaptureSourceName, EscapeRoundTrips) {
    const std::string names[] = {"Plain", "Tab\there", "Line\nbreak\r", "Back\\slash\\n", "#hash"};
    for (const auto& name : names) {
        const Capture capture =
            parseCapture("@source " + escapeCaptureSourceName(name) + "\n10F80000\n", "x.ump");
        EXPECT_EQ(capture.sourceName, name);
    }
}

TEST(LoadCapture, MissingFileNamesIt) {
    try {
        loadCapture("/nonexistent/take.ump");
        FAIL();
    } catch (const CaptureError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "/nonexistent/take.ump: cannot open the file: No such file or directory");
    }
}

TEST(LoadCapture, DemoFileParses) {
    const Capture capture = loadCapture(UMBRASCOPE_SOURCE_DIR "/data/demo.ump");
    EXPECT_GT(capture.lines.size(), 200u);
    std::chrono::nanoseconds total{0};
    for (const auto& line : capture.lines)
        total += line.delay;
    EXPECT_GE(total, std::chrono::seconds(30));
    EXPECT_LE(total, std::chrono::seconds(60));
}

} // namespace
} // namespace umbrascope
