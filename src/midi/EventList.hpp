#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

namespace umbrascope {

// Protocol identifier carried by an event list, as the MIDI service numbers it.
enum class MIDIProtocol : std::uint32_t {
    midi1 = 1,
    midi2 = 2,
};

// One event packet as the receive path sees it. `wordCount` is what the feed declared; it may be
// larger than the words actually present, and larger than the 64 words that are ever read.
struct EventPacketView {
    static constexpr std::size_t maxWords = 64;

    std::uint64_t timeStamp = 0; // carried through, never used
    std::uint32_t wordCount = 0;
    std::span<const std::uint32_t> present;

    // The first min(wordCount, 64) words, never past the words present.
    std::span<const std::uint32_t> readableWords() const {
        const std::size_t n =
            std::min({static_cast<std::size_t>(wordCount), maxWords, present.size()});
        return present.first(n);
    }
};

// An ordered list of event packets of one protocol. Words of all packets live in one array, so a
// list of many small packets costs two allocations. Owned by whoever builds it; the receive path
// only reads it during the call it is handed to.
class EventList {
public:
    explicit EventList(MIDIProtocol protocol = MIDIProtocol::midi2) : protocol_(protocol) {}

    MIDIProtocol protocol() const { return protocol_; }
    std::size_t size() const { return packets_.size(); }
    bool empty() const { return packets_.empty(); }

    // Adds a packet whose declared word count is the number of words given.
    void add(std::span<const std::uint32_t> words, std::uint64_t timeStamp = 0) {
        addDeclared(static_cast<std::uint32_t>(words.size()), words, timeStamp);
    }
    void add(std::initializer_list<std::uint32_t> words, std::uint64_t timeStamp = 0) {
        add(std::span<const std::uint32_t>(words.begin(), words.size()), timeStamp);
    }
    // Adds a packet whose declared count differs from the words present, as a careless feed may.
    void addDeclared(std::uint32_t declaredCount, std::span<const std::uint32_t> words,
                     std::uint64_t timeStamp = 0) {
        packets_.push_back(Entry{timeStamp, declaredCount, words_.size(), words.size()});
        words_.insert(words_.end(), words.begin(), words.end());
    }

    void clear() {
        packets_.clear();
        words_.clear();
    }

    EventPacketView operator[](std::size_t i) const {
        const Entry& e = packets_[i];
        return {e.timeStamp, e.wordCount, std::span(words_).subspan(e.offset, e.length)};
    }

    template <typename Visitor>
    void forEach(Visitor&& visit) const {
        for (std::size_t i = 0; i < packets_.size(); ++i)
            visit((*this)[i]);
    }

private:
    struct Entry {
        std::uint64_t timeStamp;
        std::uint32_t wordCount;
        std::size_t offset;
        std::size_t length;
    };
    MIDIProtocol protocol_;
    std::vector<Entry> packets_;
    std::vector<std::uint32_t> words_;
};

} // namespace umbrascope
