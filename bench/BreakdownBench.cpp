#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "breakdown/BreakdownReading.hpp"
#include "breakdown/BreakdownRows.hpp"
#include "model/Packet.hpp"

namespace umbrascope {
namespace {

// A mix of every class, weighted towards the channel voice messages a keyboard sends.
std::vector<PacketWords> mix() {
    return {
        {0x00201234},
        {0x10F80000},
        {0x10F20102},
        {0x20903C40},
        {0x20B40778},
        {0x20E07F7F},
        {0x30067E7F, 0x09010000},
        {0x40903C00, 0xFFFF0000},
        {0x40803C11, 0x8000E0C9},
        {0x40903C20, 0x80001800},
        {0x40C00001, 0x05000102},
        {0x40E00000, 0xC0000000},
        {0x40B00A00, 0x80000000},
        {0x50810000, 0x11223344, 0x55667788, 0x99AABBCC},
        {0xD0000000, 0x02FAF080, 0, 0},
        {0xD0000006, 0xF3151575, 0x1575F203, 0x15750000},
        {0xD0100101, 0x48690000, 0, 0},
        {0xF0000101, 0x0000001F, 0, 0},
        {0x6ABCDEF0},
    };
}

// The window rebuilds the rows on every redraw; this is the cost of one full breakdown of each
// message plus its spoken form.
void breakdownAndSpeech(benchmark::State& state) {
    const auto packets = mix();
    std::int64_t rows = 0;
    for (auto _ : state) {
        for (const auto& words : packets) {
            const auto built = breakdownRows(words.span(), classifyPacket(words[0]).type);
            rows += static_cast<std::int64_t>(built.size());
            for (const auto& row : built)
                rows += static_cast<std::int64_t>(row.subRows.size());
            benchmark::DoNotOptimize(fieldsSpeechText(built));
        }
    }
    const auto breakdowns =
        static_cast<double>(state.iterations()) * static_cast<double>(packets.size());
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
    state.counters["us_per_breakdown"] = benchmark::Counter(
        breakdowns / 1e6, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(breakdownAndSpeech);

void breakdownOnly(benchmark::State& state) {
    const auto packets = mix();
    for (auto _ : state)
        for (const auto& words : packets)
            benchmark::DoNotOptimize(breakdownRows(words.span(), classifyPacket(words[0]).type));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(packets.size()));
}
BENCHMARK(breakdownOnly);

} // namespace
} // namespace umbrascope
