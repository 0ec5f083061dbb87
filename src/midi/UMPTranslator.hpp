#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "midi/EventList.hpp"

namespace umbrascope {

// Turns UMP packets into what an input port of the given protocol receives. For a MIDI 2.0 port,
// MIDI 1.0 channel voice becomes MIDI 2.0 channel voice by the UMP standard's default translation:
// values upscaled, bank select and (N)RPN controllers folded into the program change and the
// Registered / Assignable Controller messages. For a MIDI 1.0 port, MIDI 2.0 channel voice is
// shifted down to MIDI 1.0 and what such a port cannot receive is dropped. Everything else passes.
// State (bank, parameter numbers, pending data entry) is kept per group and channel. One translator
// per source; not thread-safe.
class UMPTranslator {
public:
    explicit UMPTranslator(MIDIProtocol protocol) : protocol_(protocol) {}

    MIDIProtocol protocol() const { return protocol_; }

    // Splits a run of words into packets and appends the translation of each, in order. A packet
    // cut short by the end of the run passes as it is, or counts its missing words as 0 where it
    // is translated.
    void translateWords(std::span<const std::uint32_t> words, std::vector<std::uint32_t>& out);

    void reset();

private:
    enum class Parameter : std::uint8_t { none, registered, assignable };
    struct ChannelState {
        std::uint8_t bankMsb = 0;
        std::uint8_t bankLsb = 0;
        bool bankArmed = false;
        Parameter selected = Parameter::none;
        std::array<std::uint8_t, 2> rpn{};  // MSB, LSB
        std::array<std::uint8_t, 2> nrpn{}; // MSB, LSB
        std::uint8_t dataMsb = 0;
        std::uint8_t dataLsb = 0;
        bool haveMsb = false;
        bool haveLsb = false;
    };

    // Each writes the words it makes at out and returns the end of them.
    std::uint32_t* toMIDI2Port(std::span<const std::uint32_t> words, std::uint32_t* out);
    static std::uint32_t* toMIDI1Port(std::span<const std::uint32_t> words, std::uint32_t* out);
    std::uint32_t* upscale(std::uint32_t w0, std::uint32_t* out);
    std::uint32_t* controlChange(std::uint32_t w0, std::uint32_t* out);
    static std::uint32_t* selectParameter(ChannelState& state, std::uint32_t w0, Parameter kind,
                                          unsigned half, std::uint32_t* out);
    static std::uint32_t* dataEntry(ChannelState& state, std::uint32_t w0, bool msb,
                                    std::uint32_t* out);
    static std::uint32_t* sendPending(ChannelState& state, std::uint32_t w0, std::uint32_t* out);
    static std::uint32_t* downscale(std::uint32_t w0, std::uint32_t w1, std::uint32_t* out);

    ChannelState& state(std::uint32_t w0);

    MIDIProtocol protocol_;
    std::array<ChannelState, 256> channels_{};
};

} // namespace umbrascope
