#include "midi/Midi1ByteParser.hpp"

#include "model/fields/ChannelVoiceWords.hpp"

namespace umbrascope {

namespace {

using ump::cv::SysExStatus;

// Data bytes that follow each status byte 0x80 to 0xF7, by its high nibble for channel voice.
constexpr std::array<std::uint8_t, 8> channelDataBytes{2, 2, 2, 2, 1, 1, 2, 0};

void append(ParsedPackets& out, std::uint32_t word) {
    out.words[out.count++] = word;
}

} // namespace

void Midi1ByteParser::reset() {
    *this = Midi1ByteParser(group_);
}

void Midi1ByteParser::startMessage(std::uint8_t status) {
    status_ = status;
    have_ = 0;
    needed_ = channelDataBytes[(status >> 4) & 0x7u];
}

ParsedPackets Midi1ByteParser::push(std::uint8_t byte) {
    ParsedPackets out;
    if (byte >= 0xF8) {
        // Real-time: goes out at once and disturbs nothing, not even a SysEx or a half message.
        if (byte != 0xF9 && byte != 0xFD) append(out, ump::cv::systemWord(group_, byte));
        return out;
    }
    if (byte & 0x80u) {
        if (inSysEx_) {
            endSysEx(out);
            if (byte == 0xF7) return out;
        }
        // Any other status byte drops a half-received message.
        status_ = 0;
        have_ = 0;
        if (byte < 0xF0) {
            runningStatus_ = byte;
            startMessage(byte);
            return out;
        }
        // System common and SysEx cancel running status.
        runningStatus_ = 0;
        switch (byte) {
        case 0xF0:
            inSysEx_ = true;
            sysExStarted_ = false;
            sysExCount_ = 0;
            break;
        case 0xF1:
        case 0xF3:
            status_ = byte;
            needed_ = 1;
            break;
        case 0xF2:
            status_ = byte;
            needed_ = 2;
            break;
        case 0xF6:
            append(out, ump::cv::systemWord(group_, byte));
            break;
        default: // F4, F5 (undefined) and a stray F7
            break;
        }
        return out;
    }
    if (inSysEx_) {
        pushSysExByte(byte, out);
        return out;
    }
    if (status_ == 0) {
        if (runningStatus_ == 0) return out; // stray data byte
        startMessage(runningStatus_);
    }
    data_[have_++] = byte;
    if (have_ < needed_) return out;
    const std::uint8_t d2 = needed_ == 2 ? data_[1] : 0;
    if (status_ < 0xF0)
        append(out, ump::cv::midi1Word(group_, static_cast<std::uint8_t>(status_ >> 4),
                                       static_cast<std::uint8_t>(status_ & 0xFu), data_[0], d2));
    else
        append(out, ump::cv::systemWord(group_, status_, data_[0], d2));
    // F1, F2 and F3 never run on; channel voice statuses do, through runningStatus_.
    status_ = 0;
    have_ = 0;
    return out;
}

void Midi1ByteParser::pushSysExByte(std::uint8_t byte, ParsedPackets& out) {
    // A full packet is held back until it is known whether it is the last one.
    if (sysExCount_ == sysEx_.size()) emitSysEx(false, out);
    sysEx_[sysExCount_++] = byte;
}

void Midi1ByteParser::endSysEx(ParsedPackets& out) {
    emitSysEx(true, out);
    inSysEx_ = false;
    sysExStarted_ = false;
}

void Midi1ByteParser::emitSysEx(bool last, ParsedPackets& out) {
    SysExStatus status;
    if (last)
        status = sysExStarted_ ? SysExStatus::end : SysExStatus::complete;
    else
        status = sysExStarted_ ? SysExStatus::continuePacket : SysExStatus::start;
    std::array<std::uint8_t, 6> b{};
    for (std::uint8_t i = 0; i < sysExCount_; ++i)
        b[i] = sysEx_[i];
    append(out, ump::cv::sysExWord0(group_, status, sysExCount_, b[0], b[1]));
    append(out, ump::cv::sysExWord1(b[2], b[3], b[4], b[5]));
    sysExStarted_ = !last;
    sysExCount_ = 0;
}

} // namespace umbrascope
