#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "audio/Mixer.hpp"
#include "midi/CompositeMIDIService.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/replay/DemoCapture.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/FakeMIDIService.hpp"
#include "support/RecordingMIDIService.hpp"
#include "support/SteppedQueue.hpp"

namespace umbrascope {
namespace {

using testing_support::FakeMIDIService;
using testing_support::RecordingMIDIService;
using testing_support::SteppedQueue;

// A delivering thread waits while this many batches are queued, so a main thread slowed down by
// the load never falls further and further behind (the queue would grow without bound).
constexpr std::size_t maxQueued = 256;

constexpr int listsPerFeeder = 3000;
constexpr int togglingSteps = 200;

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
    FakeMIDIService service;
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
        const auto& kept = manager->messages();
        if (p != MIDIManagerProperty::messages || kept.empty()) return;
        const auto notBefore = [](const auto& x, const auto& y) {
            return x.sequenceNumber >= y.sequenceNumber;
        };
        ordered = ordered && static_cast<std::int64_t>(kept.size()) <= manager->maxMessages() &&
                  std::adjacent_find(kept.begin(), kept.end(), notBefore) == kept.end() &&
                  kept.back().sequenceNumber >= lastSeen;
        lastSeen = kept.back().sequenceNumber;
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
    manager.reset();
    EXPECT_EQ(queue.drain(), 0u);
}

// The receive side asks the native test while the main thread rescans; setup notifications arrive
// from a third thread. Each side keeps going until the others have done their part, so every
// rescan meets deliveries and notifications in flight. ThreadSanitizer must stay silent.
TEST(SourcesStress, RescanWhileReceivingAndNotified) {
    RecordingMIDIService service;
    const SourceRef synth = service.plugIn({"Synth", 1, true});
    SteppedQueue queue;
    MIDIManager manager(service, queue);
    queue.drain();
    manager.setOnlyUMPSources(true);

    std::atomic<bool> rescansDone{false};
    std::thread receiver([&] {
        EventList list;
        list.add({0x40903C00, 0xFFFF0000});
        do {
            while (queue.pending() > maxQueued && !rescansDone)
                std::this_thread::yield();
            service.deliver(list, synth);
        } while (!rescansDone);
    });
    std::thread notifier([&] {
        for (int i = 0; i < 2000; ++i)
            service.notify(static_cast<MIDINotification>(1 + i % 3));
    });
    for (int i = 0; i < 300; ++i) {
        manager.refreshSources();
        queue.runQueued();
    }
    notifier.join();
    rescansDone = true;
    receiver.join();
    queue.drain();
    ASSERT_FALSE(manager.messages().empty()) << "a native source's message is kept";
    EXPECT_EQ(manager.messages().back().words.toVector(),
              (std::vector<std::uint32_t>{0x40903C00, 0xFFFF0000}));
}

// Replay sources come and go on one thread while another plays and the main thread rescans. The
// plugger starts once the player has delivered, and the player and the main thread keep going
// until the plugger is done.
TEST(SourcesStress, ReplayHotplugWhilePlaying) {
    ReplayService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    const SourceRef demo = service.addSource(demoCapture());

    std::atomic<bool> pluggingDone{false};
    std::atomic<int> delivered{0};
    std::thread player([&] {
        SystemSleeper sleeper; // never asked: fast replay does not wait
        do {
            service.play(demo, ReplayPace::asFastAsPossible, sleeper, {}, [&] {
                delivered.fetch_add(1);
                while (queue.pending() > maxQueued && !pluggingDone)
                    std::this_thread::yield();
            });
        } while (!pluggingDone);
    });
    std::thread plugger([&] {
        while (delivered.load() == 0)
            std::this_thread::yield();
        for (int i = 0; i < 200; ++i)
            service.removeSource(service.addSource(Capture{"Pads", {}}));
        pluggingDone = true;
    });
    int drains = 0;
    while (!pluggingDone || drains < 300) {
        queue.drain();
        ++drains;
        std::this_thread::yield();
    }
    plugger.join();
    player.join();
    queue.drain();
    EXPECT_EQ(manager.availableSources(),
              (std::vector<MIDISourceInfo>{{replaySourceID("Demo"), "Demo"}}));
}

// The demo plays on its own thread behind a composite while the main thread switches the
// protocol back and forth, and the manager goes while the demo still plays.
TEST(SourcesStress, CompositeWithAPlayingChild) {
    auto demo = std::make_unique<ReplayService>();
    demo->addSource(demoCapture());
    ReplayService& player = *demo;
    std::vector<std::unique_ptr<MIDIService>> children;
    children.push_back(std::make_unique<RecordingMIDIService>());
    children.push_back(std::move(demo));
    CompositeMIDIService composite(std::move(children));
    ManualQueue queue;
    auto manager = std::make_unique<MIDIManager>(composite, queue);
    queue.drain();
    SystemSleeper sleeper;
    player.startPlaying({ReplayPace::asFastAsPossible, true}, sleeper);
    for (int i = 0; i < 200; ++i) {
        manager->setMIDI1ProtocolOnly(i % 2 == 0);
        queue.drain();
    }
    manager.reset();
    queue.drain();
    player.stopPlaying();
}

// A producer, the audio thread, a stopper and an event reader all at once: every buffer still
// ends exactly once (finished or dropped), and ThreadSanitizer sees no race.
TEST(MixerConcurrency, EveryBufferEndsOnceUnderConcurrentStops) {
    Mixer mixer;
    const auto node = *mixer.createNode();
    const std::vector<float> samples(64, 0.25f);
    constexpr std::uint64_t buffers = 20000;
    std::atomic<bool> done{false};

    std::thread audio([&] {
        std::vector<float> block(2 * 256);
        while (!done)
            mixer.render(block.data(), 256);
    });
    std::thread stopper([&] {
        while (!done) {
            mixer.stop(node);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    std::thread producer([&] {
        for (std::uint64_t tag = 0; tag < buffers; ++tag)
            while (!mixer.enqueue(node, {samples.data(), 64, 1.0f, tag}))
                std::this_thread::yield();
    });

    std::vector<int> ends(buffers, 0);
    std::uint64_t ended = 0;
    MixerEvent event;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (ended < buffers && std::chrono::steady_clock::now() < until) {
        if (!mixer.nextEvent(node, event)) {
            std::this_thread::yield();
            continue;
        }
        if (event.kind == MixerEvent::Kind::started) continue;
        ++ends[event.tag];
        ++ended;
    }
    done = true;
    producer.join();
    stopper.join();
    audio.join();
    EXPECT_EQ(std::count(ends.begin(), ends.end(), 1), buffers) << "buffers that ended once";
}

} // namespace
} // namespace umbrascope
