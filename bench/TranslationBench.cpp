#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "midi/MIDI1StreamTranslator.hpp"

namespace {

using umbrascope::MIDI1StreamTranslator;
using umbrascope::MIDIProtocol;

// A busy performance: notes with running status, controllers, pitch bend, clock, an RPN and a
// SysEx, repeated to fill a buffer of the size one sequencer wake-up may bring.
std::vector<std::uint8_t> performance() {
    const std::vector<std::uint8_t> phrase{
        0x90, 0x3C, 0x64, 0x3E, 0x50, 0x40, 0x7F, 0xF8, 0x3C, 0x00, 0xB0, 0x07, 0x64,
        0x0A, 0x40, 0xE0, 0x00, 0x40, 0x7F, 0x7F, 0xD0, 0x30, 0xA0, 0x3C, 0x20, 0xB0,
        0x65, 0x00, 0x64, 0x00, 0x06, 0x02, 0x26, 0x00, 0xC0, 0x05, 0xF0, 0x7E, 0x7F,
        0x09, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xF7, 0x80, 0x3E, 0x40, 0xFE};
    std::vector<std::uint8_t> bytes;
    while (bytes.size() < 64 * 1024)
        bytes.insert(bytes.end(), phrase.begin(), phrase.end());
    return bytes;
}

void translateBytes(benchmark::State& state, MIDIProtocol protocol) {
    const auto bytes = performance();
    MIDI1StreamTranslator translator(protocol);
    std::vector<std::uint32_t> out;
    out.reserve(bytes.size() * 2);
    for (auto _ : state) {
        out.clear();
        translator.translate(bytes, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(
        static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * bytes.size()));
}

void BM_MIDI1BytesToMIDI1Port(benchmark::State& state) {
    translateBytes(state, MIDIProtocol::midi1);
}
void BM_MIDI1BytesToMIDI2Port(benchmark::State& state) {
    translateBytes(state, MIDIProtocol::midi2);
}

BENCHMARK(BM_MIDI1BytesToMIDI1Port);
BENCHMARK(BM_MIDI1BytesToMIDI2Port);

} // namespace
