#include <gtest/gtest.h>

#include <alsa/asoundlib.h>

// alsa-lib's event macros assign ints to its narrower fields.
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"

#include <filesystem>

#include "midi/MIDIManager.hpp"
#include "midi/alsa/ALSAMIDIService.hpp"
#include "support/SteppedQueue.hpp"

namespace umbrascope::alsa {
namespace {

using testing_support::drainUntil;

// Another program's output port, plugged in while the monitor runs.
class SendingClient {
public:
    SendingClient() {
        if (snd_seq_open(&seq_, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return;
        snd_seq_set_client_name(seq_, "Umbrascope Test Keys");
        port_ = snd_seq_create_simple_port(seq_, "Umbrascope Test Keys Out",
                                           SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
                                           SND_SEQ_PORT_TYPE_MIDI_GENERIC);
    }
    ~SendingClient() {
        if (seq_ != nullptr) snd_seq_close(seq_);
    }
    bool ok() const { return seq_ != nullptr && port_ >= 0; }
    void noteOn(int key, int velocity) {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_seq_ev_set_source(&event, port_);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        snd_seq_ev_set_noteon(&event, 0, key, velocity);
        snd_seq_event_output_direct(seq_, &event);
    }

private:
    snd_seq_t* seq_ = nullptr;
    int port_ = -1;
};

TEST(ALSAEndToEnd, HotpluggedSourceIsEnabledAndItsNoteArrivesAsMIDI2) {
    if (!std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "no /dev/snd/seq";
    ALSAMIDIService service;
    ManualQueue queue;
    MIDIManager manager(service, queue);
    queue.drain();
    SendingClient keys;
    ASSERT_TRUE(keys.ok());
    const auto listed = [&] {
        for (const auto& source : manager.availableSources())
            if (source.name == "Umbrascope Test Keys Out") return true;
        return false;
    };
    ASSERT_TRUE(drainUntil(queue, listed)) << "the System Announce port should trigger a rescan";
    keys.noteOn(60, 100);
    ASSERT_TRUE(drainUntil(queue, [&] { return !manager.messages().empty(); }));
    const auto& message = manager.messages().back();
    EXPECT_EQ(message.words.toVector(), (std::vector<std::uint32_t>{0x40903C00, 0xC9240000}));
    EXPECT_FALSE(message.sourceIsUMPNative);

    manager.setMIDI1ProtocolOnly(true);
    queue.drain();
    keys.noteOn(62, 100);
    ASSERT_TRUE(drainUntil(queue, [&] { return manager.messages().size() >= 2; }));
    EXPECT_EQ(manager.messages().back().words.toVector(), (std::vector<std::uint32_t>{0x20903E64}));
}

} // namespace
} // namespace umbrascope::alsa
