// The pause under a flood: a window with a full 5000-message buffer is paused, then takes a burst
// of 100,000 messages in event lists of one packet. Measured: the burst's rate while paused, the
// heap in use before and after it (the buffer stays bound, the held list does not grow), and the
// time a key takes while paused (R reads the held list, K toggles) and for P to resume and to
// pause again.
#include <benchmark/benchmark.h>

#include <malloc.h>

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

double heapInUse() {
    return static_cast<double>(mallinfo2().uordblks);
}

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
        view.midiManager().setHideMidiClock(true); // else the catch-up reads mostly silence
        view.setTTSLevel(TTSLevel::short_);
    }
    void receive(std::size_t count) {
        const auto& lists = burst();
        for (std::size_t i = 0; i < count; ++i) {
            view.midiManager().handleEventList(lists[i % lists.size()], SourceRef{1});
            queue.drain();
            scheduler.runDue();
        }
    }
};

void BM_BurstWhilePaused(benchmark::State& state) {
    double before = 0, after = 0, filled = 0, held_ = 0;
    std::uint64_t counted = 0;
    std::size_t held = 0, buffer = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto window = std::make_unique<Window>();
        const double empty = heapInUse();
        window->receive(static_cast<std::size_t>(bufferLimit));
        filled = heapInUse() - empty;
        const double unpaused = heapInUse();
        window->view.handleKey("p");
        before = heapInUse();
        held_ = before - unpaused;
        state.ResumeTiming();
        window->receive(burstMessages);
        state.PauseTiming();
        after = heapInUse();
        counted = window->view.newWhilePaused();
        held = window->view.listedMessages().size();
        buffer = window->view.midiManager().messages().size();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["buffer"] = static_cast<double>(buffer);
    state.counters["held"] = static_cast<double>(held);
    state.counters["counted"] = static_cast<double>(counted);
    state.counters["filledBuffer_MB"] = filled / 1e6;
    state.counters["heldCopy_MB"] = held_ / 1e6;
    state.counters["burstGrowth_MB"] = (after - before) / 1e6;
    state.counters["messages/s"] = benchmark::Counter(
        static_cast<double>(static_cast<std::size_t>(state.iterations()) * burstMessages),
        benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BurstWhilePaused)->Unit(benchmark::kMillisecond);

// A paused window after the burst, its buffer and held list full.
struct PausedAfterBurst {
    Window window;
    PausedAfterBurst() {
        window.receive(static_cast<std::size_t>(bufferLimit));
        window.view.handleKey("p");
        window.receive(burstMessages);
    }
};

// R while paused: the catch-up of the held list, as of the pause.
void BM_CatchUpWhilePaused(benchmark::State& state) {
    PausedAfterBurst paused;
    state.SetLabel(paused.window.view.recentSummaryText().substr(0, 40));
    for (auto _ : state)
        benchmark::DoNotOptimize(paused.window.view.recentSummaryText());
}
BENCHMARK(BM_CatchUpWhilePaused)->Unit(benchmark::kMicrosecond);

// A switch's key while paused (K, twice: on and off), with its confirmation.
void BM_SwitchKeyWhilePaused(benchmark::State& state) {
    PausedAfterBurst paused;
    for (auto _ : state) {
        paused.window.view.handleKey("k");
        paused.window.view.handleKey("k");
        paused.window.queue.drain();
    }
}
BENCHMARK(BM_SwitchKeyWhilePaused)->Unit(benchmark::kMicrosecond);

// One P to resume (the list moves on to the buffer) and one to pause again (a copy of the full
// buffer), each answered with its confirmation.
void BM_ResumeAndPauseAgain(benchmark::State& state) {
    PausedAfterBurst paused;
    ContentView& view = paused.window.view;
    for (auto _ : state) {
        view.handleKey("p");
        view.handleKey("p");
        paused.window.queue.drain();
    }
    benchmark::DoNotOptimize(view.listedMessages().size());
}
BENCHMARK(BM_ResumeAndPauseAgain)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace umbrascope
