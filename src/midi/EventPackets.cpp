#include "midi/EventPackets.hpp"

#include <algorithm>

#include "model/Packet.hpp"

namespace umbrascope {

void addPacketsToEventList(EventList& list, std::span<const std::uint32_t> words) {
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < words.size()) {
        const std::size_t length = classifyPacket(words[i]).length;
        const std::size_t end = std::min(words.size(), i + length);
        if (end - start > EventPacketView::maxWords) {
            list.add(words.subspan(start, i - start));
            start = i;
        }
        i = end;
    }
    if (start < words.size()) list.add(words.subspan(start));
}

} // namespace umbrascope
