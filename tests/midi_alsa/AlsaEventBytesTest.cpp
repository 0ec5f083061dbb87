#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "midi/Midi1StreamTranslator.hpp"
#include "midi/alsa/AlsaEventBytes.hpp"

namespace umbrascope::alsa {
namespace {

using Bytes = std::vector<std::uint8_t>;

snd_seq_event_t event(snd_seq_event_type_t type,
                      const std::function<void(snd_seq_event_t&)>& fill) {
    snd_seq_event_t e{};
    e.type = type;
    fill(e);
    return e;
}

snd_seq_event_t note(snd_seq_event_type_t type, int channel, int key, int velocity) {
    return event(type, [&](snd_seq_event_t& e) {
        e.data.note.channel = static_cast<unsigned char>(channel);
        e.data.note.note = static_cast<unsigned char>(key);
        e.data.note.velocity = static_cast<unsigned char>(velocity);
    });
}

snd_seq_event_t control(snd_seq_event_type_t type, int channel, unsigned param, int value) {
    return event(type, [&](snd_seq_event_t& e) {
        e.data.control.channel = static_cast<unsigned char>(channel);
        e.data.control.param = param;
        e.data.control.value = value;
    });
}

struct EventCase {
    const char* name;
    snd_seq_event_t event;
    Bytes expected;
};

const EventCase eventCases[] = {
    {"NoteOn", note(SND_SEQ_EVENT_NOTEON, 1, 60, 100), {0x91, 0x3C, 0x64}},
    {"NoteOnVelocity0", note(SND_SEQ_EVENT_NOTEON, 0, 60, 0), {0x90, 0x3C, 0x00}},
    {"NoteOff", note(SND_SEQ_EVENT_NOTEOFF, 2, 60, 64), {0x82, 0x3C, 0x40}},
    {"PolyPressure", note(SND_SEQ_EVENT_KEYPRESS, 0, 60, 7), {0xA0, 0x3C, 0x07}},
    {"Controller", control(SND_SEQ_EVENT_CONTROLLER, 3, 7, 100), {0xB3, 0x07, 0x64}},
    {"ProgramChange", control(SND_SEQ_EVENT_PGMCHANGE, 0, 0, 5), {0xC0, 0x05}},
    {"ChannelPressure", control(SND_SEQ_EVENT_CHANPRESS, 0, 0, 64), {0xD0, 0x40}},
    {"PitchBendCentre", control(SND_SEQ_EVENT_PITCHBEND, 0, 0, 0), {0xE0, 0x00, 0x40}},
    {"PitchBendMin", control(SND_SEQ_EVENT_PITCHBEND, 0, 0, -8192), {0xE0, 0x00, 0x00}},
    {"PitchBendMax", control(SND_SEQ_EVENT_PITCHBEND, 0, 0, 8191), {0xE0, 0x7F, 0x7F}},
    {"Control14BecomesTwoCCs",
     control(SND_SEQ_EVENT_CONTROL14, 0, 7, 0x3FFF),
     {0xB0, 0x07, 0x7F, 0xB0, 0x27, 0x7F}},
    {"NrpnBecomesFourCCs",
     control(SND_SEQ_EVENT_NONREGPARAM, 0, 0x0102, 0x0203),
     {0xB0, 0x63, 0x02, 0xB0, 0x62, 0x02, 0xB0, 0x06, 0x04, 0xB0, 0x26, 0x03}},
    {"RpnBecomesFourCCs",
     control(SND_SEQ_EVENT_REGPARAM, 1, 0, 0x0100),
     {0xB1, 0x65, 0x00, 0xB1, 0x64, 0x00, 0xB1, 0x06, 0x02, 0xB1, 0x26, 0x00}},
    {"SongPosition", control(SND_SEQ_EVENT_SONGPOS, 0, 0, 0x0102), {0xF2, 0x02, 0x02}},
    {"QuarterFrame", control(SND_SEQ_EVENT_QFRAME, 0, 0, 0x25), {0xF1, 0x25}},
    {"TuneRequest", event(SND_SEQ_EVENT_TUNE_REQUEST, [](auto&) {}), {0xF6}},
    {"Clock", event(SND_SEQ_EVENT_CLOCK, [](auto&) {}), {0xF8}},
    {"Reset", event(SND_SEQ_EVENT_RESET, [](auto&) {}), {0xFF}},
    {"PortStartIsNoMessage", event(SND_SEQ_EVENT_PORT_START, [](auto&) {}), {}},
};

class SequencerEvents : public ::testing::TestWithParam<EventCase> {};

TEST_P(SequencerEvents, BecomeMidi1Bytes) {
    EventBytes decoder;
    Bytes out;
    const bool carried = decoder.append(GetParam().event, out);
    EXPECT_EQ(carried, !GetParam().expected.empty());
    EXPECT_EQ(out, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Alsa, SequencerEvents, ::testing::ValuesIn(eventCases),
                         [](const ::testing::TestParamInfo<EventCase>& row) {
                             return std::string(row.param.name);
                         });

snd_seq_event_t sysEx(Bytes& bytes) {
    return event(SND_SEQ_EVENT_SYSEX, [&](snd_seq_event_t& e) {
        e.flags = SND_SEQ_EVENT_LENGTH_VARIABLE;
        e.data.ext.len = static_cast<unsigned>(bytes.size());
        e.data.ext.ptr = bytes.data();
    });
}

TEST(SequencerEvents, EveryMessageKeepsItsStatusByte) {
    EventBytes decoder;
    Bytes out;
    decoder.append(note(SND_SEQ_EVENT_NOTEON, 0, 60, 100), out);
    decoder.append(note(SND_SEQ_EVENT_NOTEON, 0, 62, 100), out);
    EXPECT_EQ(out, (Bytes{0x90, 0x3C, 0x64, 0x90, 0x3E, 0x64}));
}

TEST(SequencerEvents, SysExChunksAreReassembledByTheByteStream) {
    // The sequencer splits a long SysEx: only the first chunk has F0, only the last F7.
    Bytes first{0xF0, 1, 2, 3, 4}, middle{5, 6, 7}, last{8, 0xF7};
    EventBytes decoder;
    Midi1StreamTranslator translator(MidiProtocol::midi2);
    std::vector<std::uint32_t> words;
    for (Bytes* chunk : {&first, &middle, &last}) {
        Bytes bytes;
        ASSERT_TRUE(decoder.append(sysEx(*chunk), bytes));
        EXPECT_EQ(bytes, *chunk);
        translator.translate(bytes, words);
    }
    EXPECT_EQ(words, (std::vector<std::uint32_t>{0x30160102, 0x03040506, 0x30320708, 0x00000000}));
}

} // namespace
} // namespace umbrascope::alsa
