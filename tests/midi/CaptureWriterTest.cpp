#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <string>
#include <vector>

#include "midi/replay/CaptureFile.hpp"
#include "midi/replay/CaptureWriter.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/MessageFactory.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;
using testing_support::makeMessage;

const WallTime start = WallTime(std::chrono::seconds(1'800'000'000));

struct Arrival {
    std::chrono::nanoseconds at; // since start
    std::string source;
    PacketWords words;
};

std::deque<MIDIMessage> buffer(const std::vector<Arrival>& arrivals) {
    std::deque<MIDIMessage> messages;
    for (const Arrival& arrival : arrivals) {
        MIDIMessage message = makeMessage(arrival.words, arrival.source);
        message.timestamp = start + std::chrono::duration_cast<WallTime::duration>(arrival.at);
        message.sourceID = replaySourceID(arrival.source);
        messages.push_back(std::move(message));
    }
    return messages;
}

// Each packet of a capture with the time its line is due, since the first line.
struct Played {
    std::chrono::nanoseconds at;
    PacketWords words;
    friend bool operator==(const Played&, const Played&) = default;
};

std::vector<Played> played(const Capture& capture) {
    std::vector<Played> packets;
    std::chrono::nanoseconds at{0};
    for (const CaptureLine& line : capture.lines) {
        at += line.delay;
        forEachPacket(capture.words(line), [&](const PacketWords& words, PacketClass) {
            packets.push_back({at, words});
        });
    }
    return packets;
}

struct RoundTrip {
    const char* name;
    std::vector<Arrival> arrivals;
    std::string sourceName; // as the file names it
    std::size_t lines;
};

class CaptureWriterRoundTrip : public testing::TestWithParam<RoundTrip> {};

// Saved and read back, every packet comes at the time it arrived, to the microsecond.
TEST_P(CaptureWriterRoundTrip, GivesBackThePacketsAtTheirTimes) {
    const RoundTrip& trip = GetParam();
    const std::string text = captureText(buffer(trip.arrivals));
    const Capture capture = parseCapture(text, "saved.ump");
    EXPECT_EQ(capture.sourceName, trip.sourceName) << text;
    EXPECT_EQ(capture.lines.size(), trip.lines) << text;
    const std::vector<Played> back = played(capture);
    ASSERT_EQ(back.size(), trip.arrivals.size()) << text;
    for (std::size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].words, trip.arrivals[i].words) << i;
        const auto arrived = trip.arrivals[i].at - trip.arrivals[0].at;
        EXPECT_LE(back[i].at, arrived) << i;
        EXPECT_GT(back[i].at, arrived - 1us) << i;
    }
}

std::vector<Arrival> steady(std::size_t count, std::chrono::nanoseconds every) {
    std::vector<Arrival> arrivals;
    for (std::size_t i = 0; i < count; ++i)
        arrivals.push_back({every * static_cast<long>(i), "Clock", {0x10F80000}});
    return arrivals;
}

INSTANTIATE_TEST_SUITE_P(
    Buffers, CaptureWriterRoundTrip,
    testing::Values(RoundTrip{"Empty", {}, "saved", 0},
                    RoundTrip{"OneArrivalSharesALine",
                              {{5s, "Pad\tA", {0x40903C00, 0xFFFF0000}},
                               {5s, "Pad\tA", {0x40903E00, 0xFFFF0000}},
                               {5250ms, "Pad\tA", {0x10F80000}},
                               {6251000500ns, "Pad\tA", {0x30160000, 0x00000000}}},
                              "Pad\tA",
                              3},
                    RoundTrip{"SeveralSourcesPlayAsTheFirst",
                              {{0s, "Keys", {0x20903C64}},
                               {0s, "Pads", {0x20993C40}},
                               {10ms, "Keys", {0x20803C00}},
                               {1h, "Pads", {0x20893C00}}},
                              "Keys",
                              4},
                    // Rounding each delay on its own would lose a third of a microsecond a line.
                    RoundTrip{"RoundingDoesNotAddUp", steady(5000, 333'333ns), "Clock", 5000}),
    [](const testing::TestParamInfo<RoundTrip>& row) { return row.param.name; });

TEST(CaptureWriter, NotesEachChangeOfSourceAndStartsAfreshAfterAClockChange) {
    EXPECT_EQ(captureText(buffer({{0s, "Keys", {0x20903C64}},
                                  {0s, "Pads", {0x20993C40}},
                                  {-1s, "Pads", {0x20893C00}},
                                  {2 * maxCaptureDelay, "Keys", {0x20803C00}}})),
              "@source Keys\n"
              "+0.000000 20903C64\n"
              "# from Pads\n"
              "+0.000000 20993C40\n"
              "+0.000000 20893C00\n"
              "# from Keys\n"
              "+86400.000000 20803C00\n");
}

} // namespace
} // namespace umbrascope
