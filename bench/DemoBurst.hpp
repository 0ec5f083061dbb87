#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "app/BackgroundQueue.hpp"
#include "midi/EventList.hpp"
#include "midi/replay/CaptureFile.hpp"
#include "model/Packet.hpp"

namespace umbrascope::bench {

// The demo performance's packets, one per event list, repeated to `count` lists.
inline std::vector<EventList> demoBurst(std::size_t count) {
    std::vector<std::vector<std::uint32_t>> packets;
    const Capture demo = loadCapture(UMBRASCOPE_SOURCE_DIR "/data/demo.ump");
    for (const CaptureLine& line : demo.lines)
        forEachPacket(demo.words(line), [&](const PacketWords& words, PacketClass) {
            packets.push_back(words.toVector());
        });
    std::vector<EventList> lists;
    lists.reserve(count);
    for (std::size_t i = 0; lists.size() < count; ++i) {
        EventList list;
        list.add(packets[i % packets.size()]);
        lists.push_back(std::move(list));
    }
    return lists;
}

// Exports are not measured: their work is dropped.
class DiscardingQueue final : public BackgroundQueue {
public:
    void post(std::function<void()>) override {}
};

} // namespace umbrascope::bench
