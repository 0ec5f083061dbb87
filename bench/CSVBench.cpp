#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"
#include "text/CSVText.hpp"
#include "text/Description.hpp"

namespace umbrascope {
namespace {

// A full buffer of what a keyboard session sends: notes in runs, controllers, bends, clock and
// active sensing, with some MIDI 2.0, SysEx, Flex Data and UMP Stream traffic.
std::vector<MIDIMessage> fullBuffer() {
    static const PacketWords mix[] = {
        {0x20903C64},
        {0x10F80000},
        {0x20904064},
        {0x20904364},
        {0x20803C40},
        {0x20B0077F},
        {0x20E01040},
        {0x10FE0000},
        {0x20B00A60},
        {0x20B04040},
        {0x40903C00, 0xC0000000},
        {0x40803C00, 0x40000000},
        {0x40B00100, 0x80000000},
        {0x40E00000, 0x90000000},
        {0x30160102, 0x03040506},
        {0xD0100106, 0x4C697665, 0x20536574, 0},
        {0xF0030000, 0x556D6272, 0x6173636F, 0x70650000},
        {0x00201234},
        {0x20C00500},
        {0x20D04000},
    };
    const auto sources = {makeSourceName("Keys"), makeSourceName("Synth, Port 1"),
                          makeSourceName("Pads")};
    std::vector<MIDIMessage> messages;
    messages.reserve(5000);
    for (std::size_t i = 0; i < 5000; ++i) {
        MIDIMessage message;
        message.sequenceNumber = static_cast<std::int64_t>(i);
        message.sourceNameStorage = sources.begin()[i % 3];
        message.words = mix[i % std::size(mix)];
        message.messageType = classifyPacket(message.words[0]).type;
        message.description = describePacket(message.words, message.messageType);
        messages.push_back(std::move(message));
    }
    return messages;
}

const std::vector<MIDIMessage>& buffer() {
    static const auto messages = fullBuffer();
    return messages;
}

std::filesystem::path scratchFile() {
    return std::filesystem::temp_directory_path() / "umbrascope-csv-bench.csv";
}

bool writeOnce(const std::string& text) {
    std::FILE* file = std::fopen(scratchFile().c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    return std::fclose(file) == 0 && ok;
}

void BM_CSVText5000(benchmark::State& state) {
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string text = csvText(buffer());
        bytes = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * bytes));
    state.counters["fileBytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_CSVText5000)->Unit(benchmark::kMillisecond);

void BM_FwriteSameBytes(benchmark::State& state) {
    const std::string text = csvText(buffer());
    for (auto _ : state)
        if (!writeOnce(text)) state.SkipWithError("cannot write the scratch file");
    std::filesystem::remove(scratchFile());
}
BENCHMARK(BM_FwriteSameBytes)->Unit(benchmark::kMillisecond);

// Both steps timed in one loop, so the ratio compares figures from the same moment.
void BM_CSVTextVersusFwrite(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    double buildSeconds = 0;
    double writeSeconds = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        const std::string text = csvText(buffer());
        const auto built = Clock::now();
        if (!writeOnce(text)) state.SkipWithError("cannot write the scratch file");
        const auto written = Clock::now();
        buildSeconds += std::chrono::duration<double>(built - start).count();
        writeSeconds += std::chrono::duration<double>(written - built).count();
    }
    std::filesystem::remove(scratchFile());
    const double n = static_cast<double>(state.iterations());
    state.counters["csvText_ms"] = buildSeconds / n * 1e3;
    state.counters["fwrite_ms"] = writeSeconds / n * 1e3;
    state.counters["csvText_per_fwrite"] = writeSeconds > 0 ? buildSeconds / writeSeconds : 0;
}
BENCHMARK(BM_CSVTextVersusFwrite)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace umbrascope
