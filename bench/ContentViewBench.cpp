// The window on top of the receive path: a burst of 100,000 messages in event lists of one packet
// through MIDIManager and ContentView (5000 buffer, clock hidden), and the window's share of one
// batch of 64: appending it with a window attached against appending it alone, in the same run.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "DemoBurst.hpp"
#include "app/ContentView.hpp"
#include "audio/SilentSynthesizer.hpp"
#include "core/ManualScheduler.hpp"

namespace umbrascope {
namespace {

constexpr std::size_t burstMessages = 100'000;
constexpr std::int64_t bufferLimit = 5000;

class BenchService final : public MIDIService {
public:
    std::optional<std::string> displayName(SourceRef) const override { return "Demo Keyboard"; }
    std::int32_t uniqueID(SourceRef) const override { return 42; }
    bool isNativeUMP(SourceRef, std::int32_t) const override { return true; }
    void setReceiveCallback(ReceiveCallback) override {}
};

const std::vector<EventList>& burst() {
    static const auto lists = bench::demoBurst(burstMessages);
    return lists;
}

// A window on silent services, as the command line would build it.
struct Window {
    BenchService service;
    ManualQueue queue;
    ManualScheduler scheduler{SystemClock::instance()};
    bench::DiscardingQueue background;
    AudioEngine engine{nullptr};
    ContentView view{ContentViewServices{service,
                                         std::make_unique<SilentSynthesizer>(),
                                         engine,
                                         queue,
                                         scheduler,
                                         background,
                                         SystemClock::instance(),
                                         {}}};

    Window() {
        view.midiManager().setEnabledSourceIDs({42});
        view.midiManager().setMaxMessages(bufferLimit);
        view.midiManager().setHideMidiClock(true);
    }
};

void BM_BurstThroughTheWindow(benchmark::State& state) {
    const auto& lists = burst();
    std::size_t kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        state.ResumeTiming();
        for (const auto& list : lists) {
            window->view.midiManager().handleEventList(list, SourceRef{1});
            window->queue.drain(); // appendBatch, the visible list, handleNewMessages
            window->scheduler.runDue();
        }
        kept = window->view.visibleMessages().size();
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["visible"] = static_cast<double>(kept);
    state.counters["messages/s"] = benchmark::Counter(
        static_cast<double>(static_cast<std::size_t>(state.iterations()) * burstMessages),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BurstThroughTheWindow)->Unit(benchmark::kMillisecond);

constexpr std::size_t batchSize = 64;
constexpr std::size_t timedBatches = 2000;

// Messages as the receive path makes them (clock hidden), oldest first: enough to fill the
// buffer, then one batch per timed iteration.
const std::vector<MIDIMessage>& receivedMessages() {
    static const auto messages = [] {
        const std::size_t count = static_cast<std::size_t>(bufferLimit) + batchSize * timedBatches;
        BenchService service;
        ManualQueue queue;
        MIDIManager builder(service, queue);
        builder.setEnabledSourceIDs({42});
        builder.setMaxMessages(static_cast<std::int64_t>(count));
        builder.setHideMidiClock(true);
        while (builder.messages().size() < count)
            for (const auto& list : burst()) {
                if (builder.messages().size() >= count) break;
                builder.handleEventList(list, SourceRef{1});
                queue.drain();
            }
        return std::vector<MIDIMessage>(builder.messages().begin(), builder.messages().end());
    }();
    return messages;
}

// A full buffer takes one batch of 64 more: the append drops 64 from the front. With `window`,
// the visible list follows and handleNewMessages runs (scroll debounce and announce pass).
void appendBatches(benchmark::State& state, bool window) {
    BenchService service;
    ManualQueue queue;
    std::unique_ptr<Window> owner;
    std::unique_ptr<MIDIManager> alone;
    if (window) {
        owner = std::make_unique<Window>();
    } else {
        alone = std::make_unique<MIDIManager>(service, queue);
        alone->setMaxMessages(bufferLimit);
        alone->setHideMidiClock(true);
    }
    MIDIManager& manager = window ? owner->view.midiManager() : *alone;
    const auto& messages = receivedMessages();
    const auto fill = static_cast<std::ptrdiff_t>(bufferLimit);
    manager.appendBatch(std::vector<MIDIMessage>(messages.begin(), messages.begin() + fill));
    std::vector<std::vector<MIDIMessage>> batches;
    for (auto at = messages.begin() + fill; at != messages.end();
         at += static_cast<std::ptrdiff_t>(batchSize))
        batches.emplace_back(at, at + static_cast<std::ptrdiff_t>(batchSize));

    std::size_t round = 0;
    for (auto _ : state)
        manager.appendBatch(std::move(batches[round++]));
    benchmark::DoNotOptimize(manager.messages().size());
    if (window) benchmark::DoNotOptimize(owner->view.visibleMessages().size());
}

void BM_AppendBatchOf64Alone(benchmark::State& state) {
    appendBatches(state, false);
}
BENCHMARK(BM_AppendBatchOf64Alone)->Iterations(timedBatches);

void BM_AppendBatchOf64WithTheWindow(benchmark::State& state) {
    appendBatches(state, true);
}
BENCHMARK(BM_AppendBatchOf64WithTheWindow)->Iterations(timedBatches);

} // namespace
} // namespace umbrascope
