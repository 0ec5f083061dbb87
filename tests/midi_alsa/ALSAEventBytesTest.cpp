#include <gtest/gtest.h>

#include <vector>

#include "midi/alsa/ALSAEventBytes.hpp"

namespace umbrascope::alsa {
namespace {

using Bytes = std::vector<std::uint8_t>;

snd_seq_event_t note(int channel, int key, int velocity) {
    snd_seq_event_t e{};
    e.type = SND_SEQ_EVENT_NOTEON;
    e.data.note.channel = static_cast<unsigned char>(channel);
    e.data.note.note = static_cast<unsigned char>(key);
    e.data.note.velocity = static_cast<unsigned char>(velocity);
    return e;
}

snd_seq_event_t control(snd_seq_event_type_t type, int channel, unsigned param, int value) {
    snd_seq_event_t e{};
    e.type = type;
    e.data.control.channel = static_cast<unsigned char>(channel);
    e.data.control.param = param;
    e.data.control.value = value;
    return e;
}

// What the byte translation needs of the sequencer's decoder: a status byte on every message
// (no running status), signed pitch bend, and the multi-message events whole.
TEST(SequencerEvents, BecomeMIDI1Bytes) {
    const std::tuple<const char*, snd_seq_event_t, Bytes> cases[] = {
        {"noteOnVelocity0", note(1, 60, 0), {0x91, 0x3C, 0x00}},
        {"pitchBendMin", control(SND_SEQ_EVENT_PITCHBEND, 0, 0, -8192), {0xE0, 0x00, 0x00}},
        {"control14",
         control(SND_SEQ_EVENT_CONTROL14, 0, 7, 0x3FFF),
         {0xB0, 0x07, 0x7F, 0xB0, 0x27, 0x7F}},
        {"nrpn",
         control(SND_SEQ_EVENT_NONREGPARAM, 0, 0x0102, 0x0203),
         {0xB0, 0x63, 0x02, 0xB0, 0x62, 0x02, 0xB0, 0x06, 0x04, 0xB0, 0x26, 0x03}},
        {"portStartIsNoMessage", control(SND_SEQ_EVENT_PORT_START, 0, 0, 0), {}},
    };
    for (const auto& [name, event, expected] : cases) {
        EventBytes decoder;
        Bytes out;
        EXPECT_EQ(decoder.append(event, out), !expected.empty()) << name;
        EXPECT_EQ(out, expected) << name;
    }
    EventBytes decoder;
    Bytes out;
    decoder.append(note(0, 60, 100), out);
    decoder.append(note(0, 62, 100), out);
    EXPECT_EQ(out, (Bytes{0x90, 0x3C, 0x64, 0x90, 0x3E, 0x64})) << "no running status";
}

TEST(SequencerEvents, SysExChunksPassAsTheyAre) {
    // The sequencer splits a long SysEx: only the first chunk has F0, only the last F7; the byte
    // stream reassembles them, split anywhere.
    Bytes chunks[] = {{0xF0, 1, 2, 3, 4}, {5, 6, 7}, {8, 0xF7}};
    EventBytes decoder;
    for (Bytes& chunk : chunks) {
        snd_seq_event_t e{};
        e.type = SND_SEQ_EVENT_SYSEX;
        e.flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
        e.data.ext.len = static_cast<unsigned>(chunk.size());
        e.data.ext.ptr = chunk.data();
        Bytes bytes;
        ASSERT_TRUE(decoder.append(e, bytes));
        EXPECT_EQ(bytes, chunk);
    }
}

} // namespace
} // namespace umbrascope::alsa
