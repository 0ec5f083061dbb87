#include "midi/UMPTranslator.hpp"

#include <algorithm>

#include "midi/ValueScaling.hpp"
#include "model/Packet.hpp"
#include "model/StatusCodes.hpp"
#include "model/fields/ChannelVoiceWords.hpp"
#include "model/fields/MIDI2Fields.hpp"

namespace umbrascope {

namespace {

using ump::channel;
using ump::data1;
using ump::data2;
using ump::group;
using ump::opcode;
using ump::cv::midi1Word;
using ump::cv::midi2Word0;

using namespace ump::opcodes;
using namespace ump::controllers;

// Translation makes at most two words per word it reads (a MIDI 2.0 controller message becomes
// four MIDI 1.0 control changes); a controller message cut short at the end of a run makes four
// from one.
constexpr std::size_t maxWords(std::size_t wordsRead) {
    return 2 * wordsRead + 2;
}

std::uint32_t* put2(std::uint32_t* out, std::uint32_t w0, std::uint32_t w1) {
    out[0] = w0;
    out[1] = w1;
    return out + 2;
}

std::uint32_t* putControl(std::uint32_t* out, std::uint32_t w0, std::uint8_t controller,
                          std::uint8_t value) {
    *out = midi1Word(group(w0), ump::opcodes::controlChange, channel(w0), controller, value);
    return out + 1;
}

std::uint32_t* copy(std::span<const std::uint32_t> packet, std::uint32_t* out) {
    for (const auto word : packet)
        *out++ = word;
    return out;
}

} // namespace

void UMPTranslator::reset() {
    channels_ = {};
}

UMPTranslator::ChannelState& UMPTranslator::state(std::uint32_t w0) {
    return channels_[static_cast<std::size_t>(group(w0)) << 4 | channel(w0)];
}

void UMPTranslator::translateWords(std::span<const std::uint32_t> words,
                                   std::vector<std::uint32_t>& out) {
    const std::size_t start = out.size();
    out.resize(start + maxWords(words.size()));
    std::uint32_t* const first = out.data() + start;
    std::uint32_t* const end =
        protocol_ == MIDIProtocol::midi2 ? toMIDI2Port(words, first) : toMIDI1Port(words, first);
    out.resize(start + static_cast<std::size_t>(end - first));
}

std::uint32_t* UMPTranslator::toMIDI2Port(std::span<const std::uint32_t> words,
                                          std::uint32_t* out) {
    std::size_t i = 0;
    while (i < words.size()) {
        const std::uint32_t w0 = words[i];
        if (ump::messageTypeNibble(w0) == 0x2) {
            out = upscale(w0, out);
            ++i;
            continue;
        }
        const std::size_t length = std::min(classifyPacket(w0).length, words.size() - i);
        out = copy(words.subspan(i, length), out);
        i += length;
    }
    return out;
}

std::uint32_t* UMPTranslator::toMIDI1Port(std::span<const std::uint32_t> words,
                                          std::uint32_t* out) {
    std::size_t i = 0;
    while (i < words.size()) {
        const std::uint32_t w0 = words[i];
        const std::size_t length = std::min(classifyPacket(w0).length, words.size() - i);
        const auto packet = words.subspan(i, length);
        i += length;
        switch (ump::messageTypeNibble(w0)) {
        case 0x0: // utility, system, MIDI 1.0 channel voice and SysEx7 reach a MIDI 1.0 port as
                  // they are
        case 0x1:
        case 0x2:
        case 0x3:
            out = copy(packet, out);
            break;
        case 0x4:
            out = downscale(w0, length > 1 ? packet[1] : 0, out);
            break;
        default: // data128, Flex Data, UMP Stream and reserved types have no MIDI 1.0 form
            break;
        }
    }
    return out;
}

std::uint32_t* UMPTranslator::upscale(std::uint32_t w0, std::uint32_t* out) {
    const std::uint8_t g = group(w0);
    const std::uint8_t ch = channel(w0);
    const std::uint8_t d1 = data1(w0);
    const std::uint8_t d2 = data2(w0);
    switch (opcode(w0)) {
    case noteOff:
        return put2(out, midi2Word0(g, noteOff, ch, d1, 0), ump::cv::noteWord1(scale7to16(d2)));
    case noteOn:
        // Velocity 0 is a note off; MIDI 1.0 gives it no release velocity, so it takes the centre.
        if (d2 == 0)
            return put2(out, midi2Word0(g, noteOff, ch, d1, 0), ump::cv::noteWord1(0x8000));
        return put2(out, midi2Word0(g, noteOn, ch, d1, 0), ump::cv::noteWord1(scale7to16(d2)));
    case polyPressure:
        return put2(out, midi2Word0(g, polyPressure, ch, d1, 0), scale7to32(d2));
    case ump::opcodes::controlChange:
        return controlChange(w0, out);
    case programChange: {
        ChannelState& s = state(w0);
        if (!s.bankArmed)
            return put2(out, midi2Word0(g, programChange, ch, 0, 0),
                        ump::cv::programWord1(d1, 0, 0));
        s.bankArmed = false;
        return put2(out, midi2Word0(g, programChange, ch, 0, 1),
                    ump::cv::programWord1(d1, s.bankMsb, s.bankLsb));
    }
    case channelPressure:
        return put2(out, midi2Word0(g, channelPressure, ch, 0, 0), scale7to32(d1));
    case pitchBend:
        return put2(out, midi2Word0(g, pitchBend, ch, 0, 0),
                    scale14to32(static_cast<std::uint16_t>(d2 << 7 | d1)));
    default: // not a channel voice status: nothing to translate, shown as it came
        *out = w0;
        return out + 1;
    }
}

std::uint32_t* UMPTranslator::controlChange(std::uint32_t w0, std::uint32_t* out) {
    const std::uint8_t controller = data1(w0);
    const std::uint8_t value = data2(w0);
    ChannelState& s = state(w0);
    switch (controller) {
    case bankSelectMsb:
        s.bankMsb = value;
        s.bankArmed = true;
        return out;
    case bankSelectLsb:
        s.bankLsb = value;
        s.bankArmed = true;
        return out;
    case rpnMsb:
        return selectParameter(s, w0, Parameter::registered, 0, out);
    case rpnLsb:
        return selectParameter(s, w0, Parameter::registered, 1, out);
    case nrpnMsb:
        return selectParameter(s, w0, Parameter::assignable, 0, out);
    case nrpnLsb:
        return selectParameter(s, w0, Parameter::assignable, 1, out);
    case dataEntryMsb:
        return dataEntry(s, w0, true, out);
    case dataEntryLsb:
        return dataEntry(s, w0, false, out);
    default:
        return put2(out,
                    midi2Word0(group(w0), ump::opcodes::controlChange, channel(w0), controller, 0),
                    scale7to32(value));
    }
}

std::uint32_t* UMPTranslator::selectParameter(ChannelState& s, std::uint32_t w0, Parameter kind,
                                              unsigned half, std::uint32_t* out) {
    // A half-entered value goes out for the parameter it was meant for before the selection moves.
    out = sendPending(s, w0, out);
    auto& number = kind == Parameter::registered ? s.rpn : s.nrpn;
    number[half] = data2(w0);
    s.selected = kind;
    if (kind == Parameter::registered && s.rpn[0] == 0x7F && s.rpn[1] == 0x7F)
        s.selected = Parameter::none; // RPN null
    return out;
}

std::uint32_t* UMPTranslator::dataEntry(ChannelState& s, std::uint32_t w0, bool msb,
                                        std::uint32_t* out) {
    if (s.selected == Parameter::none) return out;
    // The same half twice: the first value is complete as far as it will ever be, so it goes out
    // rather than being overwritten.
    if (msb ? s.haveMsb : s.haveLsb) out = sendPending(s, w0, out);
    if (msb) {
        s.dataMsb = data2(w0);
        s.haveMsb = true;
    } else {
        s.dataLsb = data2(w0);
        s.haveLsb = true;
    }
    if (s.haveMsb && s.haveLsb) out = sendPending(s, w0, out);
    return out;
}

std::uint32_t* UMPTranslator::sendPending(ChannelState& s, std::uint32_t w0, std::uint32_t* out) {
    if (!s.haveMsb && !s.haveLsb) return out;
    const std::uint8_t msb = s.haveMsb ? s.dataMsb : 0;
    const std::uint8_t lsb = s.haveLsb ? s.dataLsb : 0;
    s.haveMsb = s.haveLsb = false;
    if (s.selected == Parameter::none) return out;
    const bool registered = s.selected == Parameter::registered;
    const auto& number = registered ? s.rpn : s.nrpn;
    return put2(out,
                midi2Word0(group(w0), registered ? registeredController : assignableController,
                           channel(w0), number[0], number[1]),
                scale14to32(static_cast<std::uint16_t>(msb << 7 | lsb)));
}

std::uint32_t* UMPTranslator::downscale(std::uint32_t w0, std::uint32_t w1, std::uint32_t* out) {
    const std::uint8_t g = group(w0);
    const std::uint8_t ch = channel(w0);
    const std::uint8_t op = opcode(w0);
    const std::uint8_t index = data1(w0);
    switch (op) {
    case noteOff:
        *out = midi1Word(g, op, ch, index, scale16to7(ump::midi2::velocity(w1)));
        return out + 1;
    case noteOn: {
        // Velocity 0 would turn the note on into a note off.
        const std::uint8_t velocity = scale16to7(ump::midi2::velocity(w1));
        *out = midi1Word(g, op, ch, index, velocity == 0 ? 1 : velocity);
        return out + 1;
    }
    case polyPressure:
    case ump::opcodes::controlChange:
        *out = midi1Word(g, op, ch, index, scale32to7(w1));
        return out + 1;
    case programChange:
        if (ump::midi2::bankValid(w0)) {
            out = putControl(out, w0, bankSelectMsb, ump::midi2::bankMsb(w1));
            out = putControl(out, w0, bankSelectLsb, ump::midi2::bankLsb(w1));
        }
        *out = midi1Word(g, op, ch, ump::midi2::program(w1));
        return out + 1;
    case channelPressure:
        *out = midi1Word(g, op, ch, scale32to7(w1));
        return out + 1;
    case pitchBend: {
        const std::uint16_t value = scale32to14(w1);
        *out = midi1Word(g, op, ch, static_cast<std::uint8_t>(value & 0x7F),
                         static_cast<std::uint8_t>(value >> 7));
        return out + 1;
    }
    case registeredController:
    case assignableController: {
        const bool registered = op == registeredController;
        const std::uint16_t value = scale32to14(w1);
        out = putControl(out, w0, registered ? rpnMsb : nrpnMsb, index);
        out = putControl(out, w0, registered ? rpnLsb : nrpnLsb, data2(w0));
        out = putControl(out, w0, dataEntryMsb, static_cast<std::uint8_t>(value >> 7));
        return putControl(out, w0, dataEntryLsb, static_cast<std::uint8_t>(value & 0x7F));
    }
    default: // per-note and relative controllers, per-note management, reserved opcodes
        return out;
    }
}

} // namespace umbrascope
