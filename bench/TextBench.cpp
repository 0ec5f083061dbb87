#include <benchmark/benchmark.h>

#include <optional>
#include <string>

#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"
#include "text/Description.hpp"
#include "text/SpokenText.hpp"

namespace umbrascope {
namespace {

// Descriptions are made on the receive thread for every message: this must stay far below 1 µs.
const PacketWords mix[] = {
    {0x20903C64},
    {0x10F80000},
    {0x20B0077F},
    {0x20E01040},
    {0x40903C00, 0xC0000000},
    {0x40B00100, 0x80000000},
    {0x30160102, 0x03040506},
    {0xD0100106, 0, 0, 0},
    {0xF0030000, 0, 0, 0},
    {0x00201234},
};

void BM_DescribePacket(benchmark::State& state) {
    std::size_t i = 0;
    for (auto _ : state) {
        const PacketWords& words = mix[i++ % std::size(mix)];
        benchmark::DoNotOptimize(describePacket(words, classifyPacket(words[0]).type));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_DescribePacket);

void BM_SpokenTextVerbose(benchmark::State& state) {
    std::vector<MIDIMessage> messages;
    for (const auto& words : mix) {
        MIDIMessage message;
        message.words = words;
        message.messageType = classifyPacket(words[0]).type;
        message.description = describePacket(words, message.messageType);
        messages.push_back(std::move(message));
    }
    std::optional<RunningVoiceStatus> status;
    std::size_t i = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(
            spokenText(messages[i++ % messages.size()], TTSLevel::verbose, status));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}
BENCHMARK(BM_SpokenTextVerbose);

} // namespace
} // namespace umbrascope
