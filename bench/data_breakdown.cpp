// Cost of the data, Flex Data and UMP Stream breakdowns, the longest ones (chord names give up to
// 25 rows). The window rebuilds rows on every redraw, so one breakdown must stay far below 50 µs.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "breakdown/BreakdownRows.hpp"

namespace {

using umbrascope::UMPMessageType;

struct Sample {
    UMPMessageType type;
    std::vector<std::uint32_t> words;
};

const std::vector<Sample> samples{
    {UMPMessageType::data64, {0x30067E7F, 0x09010000}},
    {UMPMessageType::data128, {0x50810000, 0x01020304, 0x05060708, 0x090A0B0C}},
    {UMPMessageType::flexData, {0xD0000000, 0x02FAF080, 0, 0}},
    {UMPMessageType::flexData, {0xD0000001, 0x04021800, 0, 0}},
    {UMPMessageType::flexData, {0xD0000006, 0xE01B1575, 0x2450C51C, 0x3642FFFF}},
    {UMPMessageType::flexData, {0xD0000101, 0x43C3A96C, 0xE282AC20, 0x48692121}},
    {UMPMessageType::umpStream, {0xF0000101, 0x0000001F, 0, 0}},
};

void dataFamilyBreakdown(benchmark::State& state) {
    std::int64_t rows = 0;
    for (auto _ : state) {
        for (const auto& sample : samples) {
            auto built = umbrascope::breakdownRows(sample.words, sample.type);
            rows += static_cast<std::int64_t>(built.size());
            benchmark::DoNotOptimize(built);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(samples.size()));
    state.counters["rows/s"] =
        benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsRate);
}
BENCHMARK(dataFamilyBreakdown);

void chordNameBreakdown(benchmark::State& state) {
    const std::vector<std::uint32_t> words{0xD0000006, 0xE01B1575, 0x2450C51C, 0x3642FFFF};
    for (auto _ : state)
        benchmark::DoNotOptimize(umbrascope::breakdownRows(words, UMPMessageType::flexData));
}
BENCHMARK(chordNameBreakdown);

} // namespace
