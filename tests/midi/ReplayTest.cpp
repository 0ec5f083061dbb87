#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "midi/MIDIManager.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/DemoCapture.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSleeper;
using Words = std::vector<std::uint32_t>;

// A replay service on a fake clock, seen by a running manager as a device is seen by the system.
struct Fixture {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    ManualQueue queue;
    MIDIManager manager{service, queue, clock};

    SourceRef add(std::string name, const char* text) {
        const SourceRef source = service.addSource(parseCapture(text, name));
        queue.drain();
        return source;
    }
    std::vector<Words> play(SourceRef source, const std::function<void()>& afterEach = {}) {
        service.play(source, ReplayPace::asFastAsPossible, sleeper, {}, [&] {
            if (afterEach) afterEach();
            queue.drain();
        });
        std::vector<Words> words;
        for (const auto& message : manager.messages())
            words.push_back(message.words.toVector());
        return words;
    }
};

TEST(Replay, DemoIsTheDataFileCompiledIn) {
    std::ifstream file(UMBRASCOPE_SOURCE_DIR "/data/demo.ump", std::ios::binary);
    EXPECT_EQ(demoCaptureText(), std::string(std::istreambuf_iterator<char>(file), {}));
}

// Every present source in order, each line at its recorded moment; a loop pauses between passes,
// never less than the minimum, so a pass that takes no time cannot spin.
TEST(Replay, PassesKeepTheRecordedPaceAndLoopsPause) {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    service.addSource(parseCapture("+1 10F80000\n+0.5 10FA0000\n", "a"));
    service.removeSource(service.addSource(parseCapture("10FE0000\n", "b")));
    service.addSource(parseCapture("10FC0000\n", "c"));
    using Heard = std::vector<std::pair<std::chrono::nanoseconds, std::uint32_t>>;
    Heard heard;
    const MonoTime start = clock.monotonicNow();
    std::stop_source stop;
    service.setReceiveCallback([&](const EventList& list, std::optional<SourceRef>) {
        heard.emplace_back(clock.monotonicNow() - start, list[0].present[0]);
        if (heard.size() == 4) stop.request_stop(); // the first line of a second pass
    });
    const auto play = [&](PlaybackOptions options) {
        stop = {};
        return service.playAll(options, sleeper, stop.get_token());
    };
    EXPECT_FALSE(play({ReplayPace::recorded, true, 2s}));
    EXPECT_EQ(
        heard,
        (Heard{
            {1s, 0x10F80000}, {1500ms, 0x10FA0000}, {1500ms, 0x10FC0000}, {4500ms, 0x10F80000}}));
    heard.clear();
    sleeper.deadlines.clear();
    EXPECT_TRUE(play({ReplayPace::asFastAsPossible, false}));
    EXPECT_EQ(heard.size(), 3u);
    EXPECT_TRUE(sleeper.deadlines.empty()) << "fast replay never waits; no loop, no pause";
    heard.clear();
    const MonoTime beforeLoop = clock.monotonicNow();
    EXPECT_FALSE(play({ReplayPace::asFastAsPossible, true, 0s}));
    EXPECT_EQ(sleeper.deadlines, std::vector<MonoTime>{beforeLoop + PlaybackOptions::minimumPause});

    // Played once and released: the sources stay, named, with nothing left to play.
    PlaybackOptions once{ReplayPace::asFastAsPossible, false};
    once.releasePlayed = true;
    heard.clear();
    EXPECT_TRUE(play(once));
    EXPECT_EQ(heard.size(), 3u);
    EXPECT_TRUE(play(once));
    EXPECT_EQ(heard.size(), 3u) << "played again";
    EXPECT_EQ(service.sources().size(), 2u);
    EXPECT_EQ(service.displayName(service.sources()[0]), "a");
}

// Every window plays the same capture from one copy, and each lets go of it once played.
TEST(Replay, ServicesShareACaptureUntilEachHasPlayedIt) {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    const auto capture = std::make_shared<const Capture>(parseCapture("10F80000\n", "shared"));
    ReplayService first{clock};
    ReplayService second{clock};
    first.addSource(capture);
    second.addSource(capture);
    EXPECT_EQ(capture.use_count(), 3);
    PlaybackOptions once{ReplayPace::asFastAsPossible, false};
    once.releasePlayed = true;
    EXPECT_TRUE(first.playAll(once, sleeper));
    EXPECT_EQ(capture.use_count(), 2);
    EXPECT_EQ(first.displayName(first.sources().at(0)), "shared") << "still listed by name";
    EXPECT_TRUE(second.playAll(once, sleeper));
    EXPECT_EQ(capture.use_count(), 1);
}

// Waits for real, and tells when a wait begins.
class WatchedSleeper final : public Sleeper {
public:
    bool sleepUntil(MonoTime deadline, std::stop_token stop) override {
        {
            std::lock_guard lock(mutex);
            ++waits;
        }
        waiting.notify_all();
        return real.sleepUntil(deadline, stop);
    }
    std::mutex mutex;
    std::condition_variable waiting;
    int waits = 0;
    SystemSleeper real;
};

TEST(Replay, OwnThreadPlaysAndAStopEndsAWaitAtOnce) {
    ReplayService service;
    service.addSource(parseCapture("10F80000\n+3600 10FA0000\n", "x"));
    std::atomic<int> delivered{0};
    service.setReceiveCallback([&](const EventList&, std::optional<SourceRef>) { ++delivered; });
    WatchedSleeper sleeper;
    service.startPlaying({ReplayPace::recorded, true}, sleeper);
    {
        std::unique_lock lock(sleeper.mutex);
        ASSERT_TRUE(sleeper.waiting.wait_for(lock, 60s, [&] { return sleeper.waits == 1; }));
    }
    service.stopPlaying(); // at or in an hour's wait: returns only if the wait ends at once
    EXPECT_EQ(delivered, 1) << "nothing after the stop";
}

TEST(Replay, SourcesComeAndGoWhileTheManagerRuns) {
    Fixture f;
    const auto keys = f.add("Keys", "10F80000\n10FA0000\n");
    f.add("Pads", "10FE0000\n");
    const std::int32_t keysID = replaySourceID("Keys");
    const std::int32_t padsID = replaySourceID("Pads");
    EXPECT_EQ(f.manager.availableSources(),
              (std::vector<MIDISourceInfo>{{keysID, "Keys"}, {padsID, "Pads"}}));
    const auto heard = f.play(keys, [&] { f.service.removeSource(keys); });
    EXPECT_EQ(heard, (std::vector<Words>{{0x10F80000}})) << "nothing plays after the unplug";
    EXPECT_TRUE(f.manager.messages().front().sourceIsUMPNative);
    EXPECT_EQ(f.manager.availableSources(), (std::vector<MIDISourceInfo>{{padsID, "Pads"}}));
    EXPECT_EQ(f.service.displayName(keys), "Keys") << "late lists still find their source";
    EXPECT_FALSE(f.service.isNativeUMP(SourceRef{7}, 0)) << "an unknown reference";
    EXPECT_EQ(replaySourceID("v1iraa1l"), 1) << "a name whose hash is 0 gets another id";
}

// A port's protocol decides what its lists carry, from the line after the port was made.
TEST(Replay, ListsCarryWhatThePortReceives) {
    Fixture f;
    const auto keys = f.add("Keys", "20903C64\n40903C00 FFFF0000\n"
                                    "D0100100 00000000 00000000 00000000\n10F80000\n");
    EXPECT_EQ(f.play(keys, [&] { f.manager.setMIDI1ProtocolOnly(true); }),
              (std::vector<Words>{{0x20903C64}, {0x20903C7F}, {0x10F80000}}));
    f.manager.clearMessages();
    f.manager.setMIDI1ProtocolOnly(false);
    f.service.setUpscaleMIDI1(true);
    EXPECT_EQ(f.play(keys).front(), (Words{0x40903C00, 0xC9240000}));
}

// --- Capture files ------------------------------------------------------------------------

std::string repeated(std::string_view piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

// A comment line of exactly `bytes` bytes before its line feed.
std::string commentLine(std::size_t bytes) {
    std::string line(bytes, 'c');
    line.front() = '#';
    return line += '\n';
}

std::string captureError(const std::function<void()>& read) {
    try {
        read();
    } catch (const CaptureError& error) {
        return error.what();
    }
    return "no error";
}

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

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, ParseCaptureGood, testing::Values(
    GoodCase{"plainLowerCaseWithStemName", "40903c00 ffff0000\n20903C64\n", "take.one", {{0x40903C00, 0xFFFF0000}, {0x20903C64}}, {0ns, 0ns}, {1, 2}},
    GoodCase{"delaysAndComments", "# a phrase\n\n+0.125 20903C64  # note\n+2 20803C00\n+.5\t10F80000\n", "take.one",
             {{0x20903C64}, {0x20803C00}, {0x10F80000}}, {125ms, 2s, 500ms}, {3, 4, 5}},
    GoodCase{"fractionBeyondNanoseconds", "+0.0000000019 10F80000", "take.one", {{0x10F80000}}, {1ns}, {}},
    GoodCase{"delayOfADay", "+86400.000 10F80000", "take.one", {{0x10F80000}}, {86400s}, {}},
    GoodCase{"crlf", "@source Pad\r\n+1 10F80000\r\n10FA0000\r\n", "Pad", {{0x10F80000}, {0x10FA0000}}, {1s, 0ns}, {2, 3}},
    GoodCase{"sourceEscapes", "@source A\\tB\\nC\\rD\\\\E # not a comment\n10FA0000", "A\tB\nC\rD\\E # not a comment", {{0x10FA0000}}, {}, {}},
    GoodCase{"sourceAfterComments", "# header\n\n@source  Two Spaces\n10FA0000", " Two Spaces", {{0x10FA0000}}, {}, {}},
    GoodCase{"sixtyFourWords", "+0 " + repeated("10F80000 ", 64), "take.one", {Words(64, 0x10F80000)}, {}, {}},
    GoodCase{"longestLine", "10F80000\n" + commentLine(65536) + "10F80000\n", "take.one", {{0x10F80000}, {0x10F80000}}, {}, {1, 3}},
    GoodCase{"emptyFile", "", "take.one", {}, {}, {}},
    GoodCase{"csvReadBack", "Source,Hex,TTS Short,TTS Verbose\nKeys,20903C64,C4 on,\"Note On, C4\"\n\"Synth, \"\"Port\"\" 1\",40903C00  FFFF0000,,\n"
                            "Pad,10F80000,,\"two\nlines\"\nPad,\"10FA0000\",,\n", "take.one",
             {{0x20903C64}, {0x40903C00, 0xFFFF0000}, {0x10F80000}, {0x10FA0000}}, {0ns, 0ns, 0ns, 0ns}, {2, 3, 4, 6}},
    GoodCase{"csvWithBomAndCrlf", "\xEF\xBB\xBFSource,Hex,TTS Short,TTS Verbose\r\nKeys,20903C64,a,b\r\n\r\n", "take.one", {{0x20903C64}}, {}, {2}},
    GoodCase{"csvWithTimeReadBack", "Time,Source,Hex,TTS Short,TTS Verbose\n12.345,Keys,20903C64,a,b\n-0.020,\"Synth, 1\",10F80000,,\n", "take.one",
             {{0x20903C64}, {0x10F80000}}, {0ns, 0ns}, {2, 3}}),
    [](const auto& p) { return p.param.name; });
// clang-format on

struct BadCase {
    const char* name;
    std::string text;
    std::string error;
};

class ParseCaptureBad : public testing::TestWithParam<BadCase> {};

TEST_P(ParseCaptureBad, NamesFileLineAndExpectation) {
    const auto& c = GetParam();
    EXPECT_EQ(captureError([&] { parseCapture(c.text, "demo.ump"); }), c.error);
}

#define WORDS "expected 1 to 64 hex words of 8 digits, found "
#define CSV "Source,Hex,TTS Short,TTS Verbose\n"

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, ParseCaptureBad, testing::Values(
    BadCase{"badWord", "10F80000\n\n\n\n\n\n\n\n\n\n\n10F8 XYZ\n", "demo.ump:12: " WORDS "'10F8'"},
    BadCase{"sixtyFiveWords", repeated("10F80000 ", 65), "demo.ump:1: " WORDS "65 words"},
    BadCase{"delayOnly", "+1 # pause", "demo.ump:1: " WORDS "only a delay"},
    BadCase{"delayNotFirst", "10F80000 +1", "demo.ump:1: " WORDS "'+1'"},
    BadCase{"controlBytesShownEscaped", "10F8\x1B[2J", "demo.ump:1: " WORDS "'10F8\\x1B[2J'"},
    BadCase{"badDelay", "+1e3 10F80000", "demo.ump:1: expected a delay +SECONDS such as +0.125, found '+1e3'"},
    BadCase{"bareDelaySign", "+ 10F80000", "demo.ump:1: expected a delay +SECONDS such as +0.125, found '+'"},
    // 2^64 + 1 seconds: read without a bound, the number would wrap to 1.
    BadCase{"hugeDelay", "+18446744073709551617 10F80000", "demo.ump:1: expected a delay of at most 86400 seconds, found '+18446744073709551617'"},
    BadCase{"delayJustOverADay", "+86400.000000001 10F80000", "demo.ump:1: expected a delay of at most 86400 seconds, found '+86400.000000001'"},
    BadCase{"badEscape", "@source A\\qB\n10F80000", "demo.ump:1: expected \\n, \\r, \\t or \\\\ in the source name, found '\\q'"},
    BadCase{"trailingBackslash", "@source A\\", "demo.ump:1: expected \\n, \\r, \\t or \\\\ in the source name, found '\\'"},
    BadCase{"emptySourceName", "@source \n", "demo.ump:1: expected a source name after '@source'"},
    BadCase{"blankSourceName", "@source  \t \r\n10F80000\n", "demo.ump:1: expected a source name after '@source'"},
    BadCase{"sourceWithoutBlank", "@sourceX\n", "demo.ump:1: expected '@source NAME', found 'X'"},
    BadCase{"sourceAfterPacket", "10F80000\n@source A\n", "demo.ump:2: expected '@source' only once, before the first packet"},
    BadCase{"sourceTwice", "@source A\n@source B\n", "demo.ump:2: expected '@source' only once, before the first packet"},
    BadCase{"lineOneByteTooLong", "10F80000\n" + commentLine(65537) + "10F80000\n", "demo.ump:2: expected a line of at most 65536 bytes"},
    BadCase{"csvUnterminatedQuote", CSV "A,10F80000,\"open\n", "demo.ump:2: expected a closing quote"},
    BadCase{"csvBadHex", CSV "A,B,,\nA,10F80000,,\n", "demo.ump:2: " WORDS "'B'"},
    BadCase{"csvOneField", CSV "lonely\n", "demo.ump:2: expected the fields Source,Hex,TTS Short,TTS Verbose, found 'lonely'"},
    BadCase{"csvWithTimeNoHex", "Time,Source,Hex,TTS Short,TTS Verbose\n1.000,Keys\n", "demo.ump:2: expected the fields Time,Source,Hex,TTS Short,TTS Verbose, found '1.000'"},
    BadCase{"csvTextAfterQuote", CSV "\"A\"x,10F80000\n", "demo.ump:2: expected ',' after a closing quote, found 'x'"},
    BadCase{"csvRecordOverManyLines", CSV "Keys,10F80000,\"" + repeated("line\n", 14000) + "\"\n", "demo.ump:2: expected a record of at most 65536 bytes"}),
    [](const auto& p) { return p.param.name; });
// clang-format on

TEST(CaptureSourceName, LongNameIsCutWithAnEllipsisAndToldOnce) {
    const std::tuple<std::string, std::string, bool> cases[] = {
        {std::string(256, 'n'), std::string(256, 'n'), false},
        {std::string(10'000, 'n'), std::string(253, 'n') + "\u2026", true},
        // 84 euro signs fit before the ellipsis; the 85th would be split.
        {repeated("\u20AC", 100), repeated("\u20AC", 84) + "\u2026", true},
    };
    for (const auto& [name, kept, told] : cases) {
        const Capture capture =
            parseCapture("# take\n@source " + name + "\n10F80000\n10FA0000\n", "x.ump");
        EXPECT_EQ(capture.sourceName, kept);
        EXPECT_EQ(capture.warnings,
                  told ? std::vector<std::string>{"x.ump:2: source name cut to 256 bytes"}
                       : std::vector<std::string>{});
    }
}

TEST(CaptureSourceName, EscapeRoundTrips) {
    for (const std::string name : {"Tab\there", "Line\nbreak\r", "Back\\slash\\n", "#hash"}) {
        const Capture capture =
            parseCapture("@source " + escapeCaptureSourceName(name) + "\n10F80000\n", "x.ump");
        EXPECT_EQ(capture.sourceName, name);
    }
}

// Comment lines a little past the limit, as a pipe or a growing file may give.
class ManyComments final : public ByteReader {
public:
    ReadResult read(std::span<char> buffer) override {
        const auto size = static_cast<std::size_t>(
            std::min<std::uint64_t>(buffer.size(), maxCaptureBytes + (1 << 20) - at_));
        std::fill_n(buffer.begin(), size, '#');
        for (std::size_t i = (60'000 - at_ % 60'000) % 60'000; i < size; i += 60'000)
            buffer[i] = '\n';
        at_ += size;
        return {size, 0};
    }

private:
    std::uint64_t at_ = 0;
};

TEST(CaptureInput, InputGrowingPastTheLimitIsRefused) {
    ManyComments pipe;
    EXPECT_EQ(captureError([&] { readCapture(pipe, "pipe"); }),
              "pipe: expected a capture of at most 268435456 bytes (256 MiB), found more");
}

TEST(CaptureInput, FilesThatCannotBeCapturesAreNamed) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("umbrascope-capture-" + std::to_string(::getpid()) + ".ump");
    std::ofstream(path) << "10F80000\n";
    std::filesystem::resize_file(path, maxCaptureBytes + 1); // sparse: nothing is written
    EXPECT_EQ(
        captureError([&] { loadCapture(path); }),
        path.string() +
            ": expected a capture of at most 268435456 bytes (256 MiB), found 268435457 bytes");
    std::filesystem::remove(path);
    EXPECT_EQ(captureError([&] { loadCapture(path); }),
              path.string() + ": cannot open the file: No such file or directory");
    EXPECT_EQ(captureError([&] { loadCapture(path.parent_path()); }),
              path.parent_path().string() + ": expected a capture file, found a directory");
    // A read error is an error, never a shorter capture.
    EXPECT_EQ(captureError([] { loadCapture("/proc/self/mem"); }),
              "/proc/self/mem: cannot read the file: Input/output error");
    // Cut while read: what is left still parses, its last word cut short to a whole one.
    MemoryReader cut("40903C00 FFFF0000\n40903C00");
    EXPECT_EQ(captureError([&] { readCapture(cut, "cut.ump", 35); }),
              "cut.ump: expected 35 bytes, found the end after 26 (the file was cut while it was "
              "read)");
}

} // namespace
} // namespace umbrascope
