// `decode --stdin` streams: its memory must not grow with the number of input lines. Each run
// reports the growth of the process's peak resident size while it ran; runs go from few lines to
// many, so a later run only raises the peak when it needs more memory than every earlier one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <sstream>
#include <streambuf>
#include <string_view>
#include <vector>

#include <sys/resource.h>

#include "cli/DecodeCommand.hpp"

namespace umbrascope::cli {
namespace {

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// `count` lines of one note on each, made as they are read.
class GeneratedLines final : public ByteReader {
public:
    explicit GeneratedLines(std::int64_t count) : left_(count) {}
    ReadResult read(std::span<char> buffer) override {
        static constexpr std::string_view line = "20903C64\n";
        std::size_t size = 0;
        while (left_ > 0 && buffer.size() - size >= line.size()) {
            std::memcpy(buffer.data() + size, line.data(), line.size());
            size += line.size();
            --left_;
        }
        return {size, 0};
    }

private:
    std::int64_t left_;
};

class CountingBuffer final : public std::streambuf {
public:
    std::uint64_t bytes = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize count) override {
        bytes += static_cast<std::uint64_t>(count);
        return count;
    }
    int_type overflow(int_type c) override {
        ++bytes;
        return c;
    }
};

void DecodeStdin(benchmark::State& state) {
    const std::int64_t lines = state.range(0);
    const bool json = state.range(1) != 0;
    std::vector<std::string_view> args{"--stdin"};
    if (json) args.push_back("--json");
    const long before = peakResidentKilobytes();
    CountingBuffer sink;
    for (auto _ : state) {
        GeneratedLines in(lines);
        std::ostream out(&sink);
        std::ostringstream err;
        if (runDecodeWithInput(Arguments(args), in, out, err) != 0)
            state.SkipWithError(err.str().c_str());
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["peak_growth_MB"] =
        static_cast<double>(peakResidentKilobytes() - before) / 1024.0;
    state.counters["output_MB"] = static_cast<double>(sink.bytes) / 1e6;
    state.counters["lines_per_s"] =
        benchmark::Counter(static_cast<double>(lines) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

BENCHMARK(DecodeStdin)
    ->ArgsProduct({{1'000, 1'000'000}, {0, 1}})
    ->ArgNames({"lines", "json"})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

} // namespace
} // namespace umbrascope::cli
