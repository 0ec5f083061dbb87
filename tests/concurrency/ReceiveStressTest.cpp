#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "midi/MIDIManager.hpp"
#include "support/FakeMidiService.hpp"
#include "support/SteppedQueue.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeMidiService;
using testing_support::SteppedQueue;

constexpr int listsPerFeeder = 3000;
constexpr int togglingSteps = 200;
// A feeder waits while this many batches are queued, so a main thread slowed down by the load
// never falls further and further behind (the queue would grow without bound).
constexpr std::size_t maxQueued = 256;

EventList mixedList(std::uint32_t i) {
    EventList list;
    list.add({0x20903C64 | (i & 0x7F), 0x40903C00, 0xFFFF0000, 0x10F80000});
    list.add({0x10FE0000, 0xD0100001, 0, 0, 0, 0x80000000});
    return list;
}

// Feeders deliver while the main thread toggles every filter and drains the queue; neither side
// stops before the other has done its share. The buffer invariants must hold at every main-thread
// step, and ThreadSanitizer must stay silent.
TEST(ReceiveStress, FeedToggleAndDrain) {
    FakeMidiService service;
    SteppedQueue queue;
    const SourceRef a = service.addSource({"A", 1, true});
    const SourceRef b = service.addSource({"B", 2, false});
    auto manager = std::make_unique<MIDIManager>(service, queue);
    manager->setEnabledSourceIDs({1, 2});
    manager->setMaxMessages(1000);

    std::atomic<int> feedersDone{0};
    std::atomic<int> steps{0};
    auto feed = [&](SourceRef source) {
        for (int i = 0; i < listsPerFeeder || steps.load() < togglingSteps; ++i) {
            while (queue.pending() > maxQueued)
                std::this_thread::yield();
            manager->handleEventList(mixedList(static_cast<std::uint32_t>(i)), source);
        }
        feedersDone.fetch_add(1);
    };
    std::thread feederA(feed, a);
    std::thread feederB(feed, b);

    std::int64_t lastSeen = -1;
    bool ordered = true;
    auto subscription = manager->observers().subscribe([&](MIDIManagerProperty p) {
        if (p != MIDIManagerProperty::messages || manager->messages().empty()) return;
        ordered = ordered &&
                  static_cast<std::int64_t>(manager->messages().size()) <= manager->maxMessages();
        std::int64_t previous = -1;
        for (const auto& m : manager->messages()) {
            ordered = ordered && m.sequenceNumber > previous;
            previous = m.sequenceNumber;
        }
        ordered = ordered && previous >= lastSeen;
        lastSeen = previous;
    });

    int step = 0;
    while (feedersDone.load() < 2) {
        MessageTypeSet hidden;
        if (step & 1) hidden.insert(UMPMessageType::midi1ChannelVoice);
        if (step & 2) hidden.insert(UMPMessageType::unknown);
        manager->setHiddenMessageTypes(hidden);
        manager->setHideMidiClock(step & 4);
        manager->setHideActiveSensing(step & 8);
        manager->setOnlyUMPSources(step & 16);
        manager->setSourceEnabled(2, (step & 32) == 0);
        if (step % 64 == 63) manager->clearMessages();
        if (step % 97 == 0) manager->setMaxMessages(step % 2 ? 500 : 5000);
        queue.runQueued();
        steps.store(++step);
    }
    feederA.join();
    feederB.join();
    queue.drain();

    EXPECT_TRUE(ordered);
    EXPECT_LE(static_cast<std::int64_t>(manager->messages().size()), manager->maxMessages());
    manager.reset();
    EXPECT_EQ(queue.drain(), 0u);
}

} // namespace
} // namespace umbrascope
