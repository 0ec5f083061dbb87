#include <gtest/gtest.h>

#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "midi/replay/DemoCapture.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeClock.hpp"
#include "support/FakeSleeper.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::FakeSleeper;
using Words = std::vector<std::uint32_t>;

struct Heard {
    MonoTime at;
    Words words;
    friend bool operator==(const Heard&, const Heard&) = default;
};

Words wordsOf(const EventList& list) {
    const auto words = list[0].present;
    return {words.begin(), words.end()};
}

TEST(Demo, IsTheDataFileCompiledIn) {
    std::ifstream file(UMBRASCOPE_SOURCE_DIR "/data/demo.ump", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(demoCaptureText(), text);
    EXPECT_EQ(demoCapture().sourceName, "Demo");
}

// Every line at its recorded moment, then the pause, then the first line again.
TEST(Demo, LoopsAtItsRecordedPace) {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    const Capture demo = demoCapture();
    service.addSource(demo);

    std::vector<Heard> expected;
    MonoTime at = clock.monotonicNow();
    for (const CaptureLine& line : demo.lines) {
        at += line.delay;
        const auto words = demo.words(line);
        expected.push_back({at, {words.begin(), words.end()}});
    }
    const auto first = demo.words(demo.lines[0]);
    expected.push_back({at + 2s + demo.lines[0].delay, {first.begin(), first.end()}});

    std::vector<Heard> heard;
    std::stop_source stop;
    service.setReceiveCallback([&](const EventList& list, std::optional<SourceRef>) {
        heard.push_back({clock.monotonicNow(), wordsOf(list)});
        if (heard.size() == expected.size()) stop.request_stop();
    });
    EXPECT_FALSE(service.playAll({ReplayPace::recorded, true, 2s}, sleeper, stop.get_token()));
    EXPECT_EQ(heard, expected);
}

TEST(Playback, OnePassPlaysEveryPresentSourceInOrder) {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    service.addSource(parseCapture("10F80000\n+5 10FA0000\n", "a"));
    service.removeSource(service.addSource(parseCapture("10FE0000\n", "b")));
    service.addSource(parseCapture("10FC0000\n", "c"));
    std::vector<Words> heard;
    service.setReceiveCallback(
        [&](const EventList& list, std::optional<SourceRef>) { heard.push_back(wordsOf(list)); });
    EXPECT_TRUE(service.playAll({ReplayPace::asFastAsPossible, false}, sleeper));
    EXPECT_EQ(heard, (std::vector<Words>{{0x10F80000}, {0x10FA0000}, {0x10FC0000}}));
    EXPECT_TRUE(sleeper.deadlines.empty()) << "fast replay never waits; no loop, no pause";
}

TEST(Playback, PortProtocolChangeTakesEffectAtTheNextLine) {
    FakeClock clock;
    FakeSleeper sleeper{clock};
    ReplayService service{clock};
    const auto client = service.createClient("Client", {});
    service.createInputPort(client, "Port", MidiProtocol::midi2);
    const SourceRef keys =
        service.addSource(parseCapture("40903C00 FFFF0000\n40903C00 FFFF0000\n", "keys"));
    std::vector<Words> heard;
    service.setReceiveCallback(
        [&](const EventList& list, std::optional<SourceRef>) { heard.push_back(wordsOf(list)); });
    service.play(keys, ReplayPace::asFastAsPossible, sleeper, {}, [&] {
        if (heard.size() == 1) service.createInputPort(client, "Port", MidiProtocol::midi1);
    });
    EXPECT_EQ(heard, (std::vector<Words>{{0x40903C00, 0xFFFF0000}, {0x20903C7F}}));
}

TEST(Playback, OwnThreadDeliversAndStopEndsAWaitAtOnce) {
    ReplayService service;
    service.addSource(parseCapture("10F80000\n10FA0000\n+3600 10FC0000\n", "x"));
    std::mutex mutex;
    std::condition_variable delivered;
    std::vector<Words> heard;
    service.setReceiveCallback([&](const EventList& list, std::optional<SourceRef>) {
        std::lock_guard lock(mutex);
        heard.push_back(wordsOf(list));
        delivered.notify_all();
    });
    SystemSleeper sleeper;
    service.startPlaying({ReplayPace::recorded, true}, sleeper);
    {
        std::unique_lock lock(mutex);
        EXPECT_TRUE(delivered.wait_for(lock, 60s, [&] { return heard.size() == 2; }));
    }
    service.stopPlaying(); // inside an hour's wait: returns only if the wait ends at once
    EXPECT_EQ(heard, (std::vector<Words>{{0x10F80000}, {0x10FA0000}}));
}

TEST(Playback, DestroyingAPlayingServiceStopsItsThread) {
    SystemSleeper sleeper;
    ReplayService service;
    service.addSource(parseCapture("+3600 10F80000\n", "x"));
    service.startPlaying({ReplayPace::recorded, true}, sleeper);
    service.startPlaying({ReplayPace::recorded, true}, sleeper); // replaces the first
}

} // namespace
} // namespace umbrascope
