// The receive path: handleEventList on the demo performance's mix of packets, the main-thread
// append and the trim at the largest buffer, with event lists of one event packet and of 64 words;
// the trim alone at two buffer sizes; and the memory a buffered message costs.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "midi/MIDIManager.hpp"
#include "midi/replay/CaptureFile.hpp"

namespace {

// Live heap bytes, as the allocator hands them out (usable size, so chunk rounding counts).
std::atomic<long long> liveBytes{0};

} // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (!p) throw std::bad_alloc();
    liveBytes.fetch_add(static_cast<long long>(malloc_usable_size(p)), std::memory_order_relaxed);
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

class BenchService final : public MIDIService {
public:
    std::optional<std::string> displayName(SourceRef) const override { return "Demo Keyboard"; }
    std::int32_t uniqueID(SourceRef) const override { return 42; }
    bool isNativeUMP(SourceRef, std::int32_t) const override { return true; }
    void setReceiveCallback(ReceiveCallback) override {}
};

const std::vector<std::vector<std::uint32_t>>& demoPackets() {
    static const auto packets = [] {
        std::vector<std::vector<std::uint32_t>> result;
        const Capture capture = loadCapture(UMBRASCOPE_SOURCE_DIR "/data/demo.ump");
        for (const auto& line : capture.lines) {
            const auto words = capture.words(line);
            result.emplace_back(words.begin(), words.end());
        }
        return result;
    }();
    return packets;
}

std::size_t messagesIn(const std::vector<std::uint32_t>& words) {
    std::size_t n = 0;
    forEachPacket(words, [&](const PacketWords&, PacketClass) { ++n; });
    return n;
}

// One event packet per list: the lines of the demo performance.
std::vector<EventList> onePacketLists() {
    std::vector<EventList> lists;
    for (const auto& words : demoPackets()) {
        EventList list;
        list.add(words);
        lists.push_back(std::move(list));
    }
    return lists;
}

// One event packet of 64 words per list, whole UMP packets from the same mix.
std::vector<EventList> sixtyFourWordLists() {
    std::vector<EventList> lists;
    std::vector<std::uint32_t> run;
    for (int round = 0; round < 4; ++round)
        for (const auto& words : demoPackets())
            forEachPacket(words, [&](const PacketWords& packet, PacketClass) {
                if (run.size() + packet.size() > EventPacketView::maxWords) {
                    run.resize(EventPacketView::maxWords, 0x00000000); // pad with NOOPs
                    EventList list;
                    list.add(run);
                    lists.push_back(std::move(list));
                    run.clear();
                }
                run.insert(run.end(), packet.begin(), packet.end());
            });
    return lists;
}

void receive(benchmark::State& state, const std::vector<EventList>& lists) {
    BenchService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    manager.setEnabledSourceIDs({42});
    manager.setMaxMessages(5000);
    std::size_t perRound = 0;
    for (const auto& list : lists)
        for (std::size_t i = 0; i < list.size(); ++i)
            perRound += messagesIn({list[i].present.begin(), list[i].present.end()});

    for (auto _ : state) {
        for (const auto& list : lists) {
            manager.handleEventList(list, SourceRef{1});
            queue.drain(); // appendBatch, then the trim at 5000
        }
    }
    benchmark::DoNotOptimize(manager.messages().size());
    state.SetItemsProcessed(
        static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * perRound));
    state.counters["lists"] = static_cast<double>(lists.size());
    state.counters["messages/s"] = benchmark::Counter(
        static_cast<double>(static_cast<std::size_t>(state.iterations()) * perRound),
        benchmark::Counter::kIsRate);
}

void BM_ReceiveOnePacketLists(benchmark::State& state) {
    receive(state, onePacketLists());
}
BENCHMARK(BM_ReceiveOnePacketLists)->Unit(benchmark::kMillisecond);

void BM_ReceiveSixtyFourWordLists(benchmark::State& state) {
    receive(state, sixtyFourWordLists());
}
BENCHMARK(BM_ReceiveSixtyFourWordLists)->Unit(benchmark::kMillisecond);

// Appending a batch of `dropped` one-word messages to a full buffer of `kept`: the trim must
// cost what it drops, the same for 500 and 5000 kept.
void BM_AppendAndTrim(benchmark::State& state) {
    const auto kept = state.range(0);
    const auto dropped = static_cast<std::size_t>(state.range(1));
    BenchService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    manager.setMaxMessages(kept);
    const auto name = makeSourceName("Demo Keyboard");
    MIDIMessage templateMessage;
    templateMessage.sourceNameStorage = name;
    templateMessage.words = PacketWords{0x10F80000};
    templateMessage.messageType = UMPMessageType::system;
    templateMessage.description = "Timing Clock \u2014 Grp 1";
    const std::vector<MIDIMessage> fill(static_cast<std::size_t>(kept), templateMessage);
    manager.appendBatch(fill);
    const std::vector<MIDIMessage> batch(dropped, templateMessage);
    for (auto _ : state)
        manager.appendBatch(batch);
    state.SetItemsProcessed(
        static_cast<std::int64_t>(static_cast<std::size_t>(state.iterations()) * dropped));
}
BENCHMARK(BM_AppendAndTrim)->ArgsProduct({{500, 5000}, {1, 64, 1000}});

// Heap and buffer bytes per buffered message, measured by filling the buffer to 5000 through the
// whole receive path; the description text itself is reported apart.
void BM_MemoryPerMessage(benchmark::State& state) {
    const auto lists = onePacketLists();
    double perMessage = 0;
    double descriptionText = 0;
    for (auto _ : state) {
        BenchService service;
        ManualQueue queue;
        const long long before = liveBytes.load();
        auto manager = std::make_unique<MIDIManager>(service, queue);
        manager->setEnabledSourceIDs({42});
        manager->setMaxMessages(5000);
        while (manager->messages().size() < 5000)
            for (const auto& list : lists) {
                manager->handleEventList(list, SourceRef{1});
                queue.drain();
            }
        const long long used =
            liveBytes.load() - before + static_cast<long long>(sizeof(MIDIManager));
        std::size_t text = 0;
        for (const auto& m : manager->messages())
            text += m.description.size();
        perMessage = static_cast<double>(used) / 5000.0;
        descriptionText = static_cast<double>(text) / 5000.0;
    }
    state.counters["bytes/message"] = perMessage;
    state.counters["descriptionText"] = descriptionText;
    state.counters["beyondText"] = perMessage - descriptionText;
    state.counters["sizeof(MIDIMessage)"] = sizeof(MIDIMessage);
}
BENCHMARK(BM_MemoryPerMessage)->Iterations(1);

} // namespace
} // namespace umbrascope
