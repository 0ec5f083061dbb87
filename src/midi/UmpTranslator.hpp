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
class UmpTranslator {
public:
    explicit UmpTranslator(MidiProtocol protocol) : protocol_(protocol) {}

    MidiProtocol protocol() const { return protocol_; }

    // Appends the translation of one packet (1 to 4 words; missing words count as 0).
    void translate(std::span<const std::uint32_t> packet, std::vector<std::uint32_t>& out);
    // Splits a run of words into packets and translates each in order.
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

    void upscale(std::uint32_t w0, std::vector<std::uint32_t>& out);
    void controlChange(std::uint32_t w0, std::vector<std::uint32_t>& out);
    void selectParameter(ChannelState& state, std::uint32_t w0, Parameter kind, unsigned half,
                         std::vector<std::uint32_t>& out);
    void dataEntry(ChannelState& state, std::uint32_t w0, bool msb,
                   std::vector<std::uint32_t>& out);
    void sendPending(ChannelState& state, std::uint32_t w0, std::vector<std::uint32_t>& out);
    void downscale(std::uint32_t w0, std::uint32_t w1, std::vector<std::uint32_t>& out);

    ChannelState& state(std::uint32_t w0);

    MidiProtocol protocol_;
    std::array<ChannelState, 256> channels_{};
};

} // namespace umbrascope
