// Adding many sources: N one-line capture sources added one by one to a running manager, as a
// front end adds the files of its command line, then the main thread catches up and every source
// plays its line. Time and peak heap per source must stay flat as N grows (linear in N).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "midi/MIDIManager.hpp"
#include "midi/replay/ReplayService.hpp"

namespace {

// Live and peak heap bytes, as the allocator hands them out.
std::atomic<long long> liveBytes{0};
std::atomic<long long> peakBytes{0};

void raisePeak(long long live) {
    long long peak = peakBytes.load(std::memory_order_relaxed);
    while (live > peak && !peakBytes.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
}

} // namespace

// These replace the global pair, so malloc and free match; GCC cannot tell once they are inlined.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p) throw std::bad_alloc();
    raisePeak(liveBytes.fetch_add(static_cast<long long>(malloc_usable_size(p)),
                                  std::memory_order_relaxed) +
              static_cast<long long>(malloc_usable_size(p)));
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    liveBytes.fetch_sub(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace umbrascope {
namespace {

class NoSleep final : public Sleeper {
public:
    bool sleepUntil(MonoTime, std::stop_token) override { return true; }
};

void BM_AddSources(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    NoSleep sleeper;
    double peakPerSource = 0;
    for (auto _ : state) {
        const long long before = liveBytes.load();
        peakBytes.store(before);
        ReplayService service;
        ManualQueue queue;
        MIDIManager manager(service, queue);
        manager.setMaxMessages(5000);
        queue.drain();
        std::vector<SourceRef> sources;
        sources.reserve(count);
        for (std::size_t i = 0; i < count; ++i)
            sources.push_back(service.addSource(
                Capture{"capture-" + std::to_string(i), {{{}, {0x20903C64}, 1}}}));
        queue.drain();
        for (const SourceRef source : sources)
            service.play(source, ReplayPace::asFastAsPossible, sleeper, {}, [&] { queue.drain(); });
        if (manager.messages().size() != std::min<std::size_t>(count, 5000))
            state.SkipWithError("a source was not heard");
        peakPerSource = static_cast<double>(peakBytes.load() - before) / static_cast<double>(count);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
    state.counters["peak bytes/source"] = peakPerSource;
}
BENCHMARK(BM_AddSources)->Arg(500)->Arg(1000)->Arg(2000)->Arg(5000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace umbrascope
