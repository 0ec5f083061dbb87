#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "audio/ClickPlayer.hpp"
#include "audio/Mixer.hpp"
#include "core/Clock.hpp"
#include "support/FakeClock.hpp"

#ifdef HAVE_UMBRASCOPE_ESPEAK
#include "audio/espeak/EspeakSynthesizer.hpp"
#endif

// Counts every allocation in the process, to show which paths make none. The replaced pair
// is malloc/free underneath, which GCC cannot see through.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static std::atomic<long> allocations{0};

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace umbrascope {
namespace {

constexpr std::size_t blockFrames = 512;
constexpr double blockSeconds = blockFrames / Mixer::sampleRate;

// A granted tick request on a source that already has its node; the mixer is drained now and
// then outside the timing so its queue never fills.
void BM_TickRequest(benchmark::State& state) {
    FakeClock clock;
    AudioEngine engine(nullptr);
    ClickPlayer player(engine, clock);
    player.playTick(1);
    std::vector<float> block(2 * 1024 * 529);
    long ticks = 0;
    long allocated = 0;
    for (auto _ : state) {
        clock.advance(std::chrono::seconds(1)); // both buckets full again: every request plays
        const long before = allocations.load(std::memory_order_relaxed);
        player.playTick(1);
        allocated += allocations.load(std::memory_order_relaxed) - before;
        if (++ticks % 256 == 0) {
            state.PauseTiming();
            engine.mixer().render(block.data(), 256 * 529);
            MixerEvent event;
            while (engine.mixer().nextEvent(0, event)) {
            }
            state.ResumeTiming();
        }
    }
    state.counters["allocationsPerTick"] =
        benchmark::Counter(static_cast<double>(allocated) / static_cast<double>(ticks));
}
BENCHMARK(BM_TickRequest);

// One audio callback block with 16 nodes sounding at once, as a fraction of the block's length.
void BM_MixerBlock16Nodes(benchmark::State& state) {
    Mixer mixer;
    std::vector<float> second(static_cast<std::size_t>(Mixer::sampleRate));
    for (std::size_t i = 0; i < second.size(); ++i)
        second[i] = 0.01f * static_cast<float>(i % 97);
    constexpr int nodes = 16;
    const auto topUp = [&] {
        for (Mixer::NodeId node = 0; node < nodes; ++node) {
            MixerEvent event;
            while (mixer.nextEvent(node, event)) {
            }
            while (mixer.enqueue(
                node, {second.data(), static_cast<std::uint32_t>(second.size()), 0.5f, 0})) {
            }
        }
    };
    for (int node = 0; node < nodes; ++node)
        mixer.createNode(static_cast<float>(node) / 8.0f - 1.0f);
    topUp();
    std::vector<float> block(2 * blockFrames);
    long blocks = 0;
    long allocated = 0;
    for (auto _ : state) {
        const long before = allocations.load(std::memory_order_relaxed);
        mixer.render(block.data(), blockFrames);
        allocated += allocations.load(std::memory_order_relaxed) - before;
        benchmark::DoNotOptimize(block.data());
        if (++blocks % 4096 == 0) {
            state.PauseTiming();
            topUp();
            state.ResumeTiming();
        }
    }
    state.counters["fractionOfBlock"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * blockSeconds,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["allocationsPerBlock"] =
        benchmark::Counter(static_cast<double>(allocated) / static_cast<double>(blocks));
}
BENCHMARK(BM_MixerBlock16Nodes);

#ifdef HAVE_UMBRASCOPE_ESPEAK

// Pulls the mixer at the real-time pace, block by block like a sound card, and notes when the
// first non-silent sample comes out.
class FirstSoundOutput final : public AudioOutput {
public:
    ~FirstSoundOutput() override { stop(); }
    bool start(Mixer& mixer) override {
        running_ = true;
        thread_ = std::thread([this, &mixer] {
            std::vector<float> block(2 * blockFrames);
            auto next = std::chrono::steady_clock::now();
            while (running_) {
                mixer.render(block.data(), blockFrames);
                for (float s : block)
                    if (s != 0.0f) {
                        if (!heard_.exchange(true)) heardAt_ = std::chrono::steady_clock::now();
                        break;
                    }
                next += std::chrono::microseconds(static_cast<long>(blockSeconds * 1e6));
                std::this_thread::sleep_until(next);
            }
        });
        return true;
    }
    void stop() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    void reset() { heard_ = false; }
    bool heard() const { return heard_; }
    std::chrono::steady_clock::time_point heardAt() const { return heardAt_; }

private:
    std::atomic<bool> running_{false};
    std::atomic<bool> heard_{false};
    std::chrono::steady_clock::time_point heardAt_;
    std::thread thread_;
};

// From the request to speak to the first non-silent sample leaving the mixer.
void BM_EspeakSpeakToFirstSound(benchmark::State& state) {
    auto* output = new FirstSoundOutput;
    AudioEngine engine{std::unique_ptr<AudioOutput>(output)};
    auto synthesizer = EspeakSynthesizer::create(engine);
    if (!synthesizer) {
        state.SkipWithError("espeak-ng could not be initialised");
        return;
    }
    engine.start();
    std::uint64_t id = 1;
    for (auto _ : state) {
        synthesizer->stopSpeaking();
        std::this_thread::sleep_for(std::chrono::milliseconds(50)); // let the stop go silent
        output->reset();
        const auto start = std::chrono::steady_clock::now();
        synthesizer->speak({id++, "Note On C4", 0.5f, 1.0f, std::nullopt});
        while (!output->heard())
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        state.SetIterationTime(std::chrono::duration<double>(output->heardAt() - start).count());
    }
    synthesizer->stopSpeaking();
}
BENCHMARK(BM_EspeakSpeakToFirstSound)
    ->UseManualTime()
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);

#endif

} // namespace
} // namespace umbrascope
