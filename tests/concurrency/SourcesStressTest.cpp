#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "midi/CompositeMidiService.hpp"
#include "midi/MIDIManager.hpp"
#include "midi/replay/DemoCapture.hpp"
#include "midi/replay/ReplayService.hpp"
#include "support/RecordingMidiService.hpp"
#include "support/SteppedQueue.hpp"

namespace umbrascope {
namespace {

using testing_support::RecordingMidiService;
using testing_support::SteppedQueue;

// A delivering thread waits while this many batches are queued, so a main thread slowed down by
// the load never falls further and further behind (the queue would grow without bound).
constexpr std::size_t maxQueued = 256;

// The receive side asks the native test while the main thread rescans; setup notifications arrive
// from a third thread. Each side keeps going until the others have done their part, so every
// rescan meets deliveries and notifications in flight. ThreadSanitizer must stay silent.
TEST(SourcesStress, RescanWhileReceivingAndNotified) {
    RecordingMidiService service;
    const SourceRef synth = service.plugIn({"Synth", 1, true});
    SteppedQueue queue;
    MIDIManager manager(service, queue);
    queue.drain();
    manager.setOnlyUMPSources(true);

    std::atomic<bool> rescansDone{false};
    std::atomic<int> delivered{0};
    std::thread receiver([&] {
        EventList list;
        list.add({0x40903C00, 0xFFFF0000});
        do {
            while (queue.pending() > maxQueued && !rescansDone)
                std::this_thread::yield();
            service.deliver(list, synth);
            delivered.fetch_add(1);
        } while (!rescansDone);
    });
    std::thread notifier([&] {
        for (int i = 0; i < 2000; ++i)
            service.notify(static_cast<MidiNotification>(1 + i % 3));
    });
    for (int i = 0; i < 300; ++i) {
        manager.refreshSources();
        queue.runQueued();
    }
    notifier.join();
    rescansDone = true;
    receiver.join();
    queue.drain();
    ASSERT_GE(delivered.load(), 1);
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
    Capture capture{"Keys", {}};
    for (int i = 0; i < 200; ++i)
        capture.lines.push_back({std::chrono::nanoseconds{0}, {0x10F80000}, 1});
    const SourceRef keys = service.addSource(capture);

    std::atomic<bool> pluggingDone{false};
    std::atomic<int> delivered{0};
    std::thread player([&] {
        class NoSleep final : public Sleeper {
            bool sleepUntil(MonoTime, std::stop_token) override { return true; }
        } sleeper;
        do {
            service.play(keys, ReplayPace::asFastAsPossible, sleeper, {}, [&] {
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
              (std::vector<MIDISourceInfo>{{replaySourceID("Keys"), "Keys"}}));
}

// The demo plays on its own thread behind a composite while the main thread switches the
// protocol back and forth, and the manager goes while the demo still plays.
TEST(SourcesStress, CompositeWithAPlayingChild) {
    auto demo = std::make_unique<ReplayService>();
    demo->addSource(demoCapture());
    ReplayService& player = *demo;
    std::vector<std::unique_ptr<MidiService>> children;
    children.push_back(std::make_unique<RecordingMidiService>());
    children.push_back(std::move(demo));
    CompositeMidiService composite(std::move(children));
    ManualQueue queue;
    auto manager = std::make_unique<MIDIManager>(composite, queue);
    queue.drain();
    SystemSleeper sleeper;
    player.startPlaying({ReplayPace::asFastAsPossible, true}, sleeper);
    for (int i = 0; i < 200; ++i) {
        manager->setMidi1ProtocolOnly(i % 2 == 0);
        queue.drain();
    }
    manager.reset();
    queue.drain();
    player.stopPlaying();
}

} // namespace
} // namespace umbrascope
