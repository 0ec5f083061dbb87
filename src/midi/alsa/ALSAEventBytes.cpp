#include "midi/alsa/ALSAEventBytes.hpp"

#include <array>

namespace umbrascope::alsa {

EventBytes::EventBytes() {
    if (snd_midi_event_new(32, &decoder_) == 0) snd_midi_event_no_status(decoder_, 1);
}

EventBytes::~EventBytes() {
    if (decoder_ != nullptr) snd_midi_event_free(decoder_);
}

bool EventBytes::append(const snd_seq_event_t& event, std::vector<std::uint8_t>& out) {
    if (event.type == SND_SEQ_EVENT_SYSEX) {
        // Any length: another client may send a whole SysEx in one event.
        if (event.data.ext.ptr == nullptr || event.data.ext.len == 0) return false;
        const auto* bytes = static_cast<const std::uint8_t*>(event.data.ext.ptr);
        out.insert(out.end(), bytes, bytes + event.data.ext.len);
        return true;
    }
    if (decoder_ == nullptr) return false;
    // The longest decoded event is an (N)RPN: four controller messages of three bytes.
    std::array<unsigned char, 16> buffer{};
    const long count =
        snd_midi_event_decode(decoder_, buffer.data(), static_cast<long>(buffer.size()), &event);
    if (count <= 0) return false;
    out.insert(out.end(), buffer.begin(), buffer.begin() + count);
    return true;
}

} // namespace umbrascope::alsa
