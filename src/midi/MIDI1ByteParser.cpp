#include "midi/MIDI1ByteParser.hpp"

#include "model/fields/ChannelVoiceWords.hpp"

namespace umbrascope {

namespace {

using ump::cv::SysExStatus;

// Data bytes after each status byte 0x80 to 0xF7, indexed by status − 0x80. SysEx, tune request
// and the undefined and end statuses take none here: data after them is SysEx or stray.
constexpr auto dataBytesAfterStatus = [] {
    constexpr std::array<std::uint8_t, 7> channelVoice{2, 2, 2, 2, 1, 1, 2};    // 8n to En
    constexpr std::array<std::uint8_t, 8> systemCommon{0, 1, 2, 1, 0, 0, 0, 0}; // F0 to F7
    std::array<std::uint8_t, 0x78> table{};
    for (std::size_t i = 0; i < 0x70; ++i)
        table[i] = channelVoice[i >> 4];
    for (std::size_t i = 0; i < systemCommon.size(); ++i)
        table[0x70 + i] = systemCommon[i];
    return table;
}();

constexpr std::uint8_t sysExStart = 0xF0;
constexpr std::uint8_t tuneRequest = 0xF6;
constexpr std::uint8_t firstRealTime = 0xF8;
constexpr std::uint8_t firstSystem = 0xF0;

constexpr bool isUndefinedRealTime(std::uint8_t byte) {
    return byte == 0xF9 || byte == 0xFD;
}

std::uint32_t* putSysExPacket(std::uint8_t group, SysExStatus status, std::uint8_t count,
                              const std::array<std::uint8_t, 6>& b, std::uint32_t* out) {
    out[0] = ump::cv::sysExWord0(group, status, count, b[0], b[1]);
    out[1] = ump::cv::sysExWord1(b[2], b[3], b[4], b[5]);
    return out + 2;
}

} // namespace

std::size_t MIDI1ByteParser::push(std::span<const std::uint8_t> bytes,
                                  std::span<std::uint32_t> out) {
    // A local copy: the compiler may keep it in registers, since the words written cannot alias
    // it as they could the members.
    State s = state_;
    std::uint32_t* o = out.data();
    const auto emitSysEx = [&s, &o](bool last) {
        SysExStatus status;
        if (last)
            status = s.sysExStarted ? SysExStatus::end : SysExStatus::complete;
        else
            status = s.sysExStarted ? SysExStatus::continuePacket : SysExStatus::start;
        o = putSysExPacket(s.group, status, s.sysExCount, s.sysEx, o);
        s.sysEx = {};
        s.sysExCount = 0;
        s.sysExStarted = !last;
    };

    for (const std::uint8_t byte : bytes) {
        if (byte < 0x80) {
            if (s.needed == 0) {
                if (!s.inSysEx) continue; // stray data byte
                // A full packet is held back until it is known whether it is the last one.
                if (s.sysExCount == s.sysEx.size()) emitSysEx(false);
                s.sysEx[s.sysExCount++] = byte;
                continue;
            }
            if (s.needed == 2 && !s.haveFirst) {
                s.first = byte;
                s.haveFirst = true;
                continue;
            }
            const bool two = s.needed == 2;
            const std::uint8_t d1 = two ? s.first : byte;
            const std::uint8_t d2 = two ? byte : 0;
            s.haveFirst = false;
            if (s.status < firstSystem) {
                *o++ = ump::cv::midi1Word(s.group, static_cast<std::uint8_t>(s.status >> 4),
                                          static_cast<std::uint8_t>(s.status & 0xFu), d1, d2);
            } else {
                *o++ = ump::cv::systemWord(s.group, s.status, d1, d2);
                s.needed = 0; // system common never runs on
            }
            continue;
        }
        if (byte >= firstRealTime) {
            // Goes out at once and disturbs nothing, not even a SysEx or a half message.
            if (!isUndefinedRealTime(byte)) *o++ = ump::cv::systemWord(s.group, byte);
            continue;
        }
        if (s.inSysEx) {
            emitSysEx(true);
            s.inSysEx = false;
        }
        // Any status byte drops a half-received message; system common and SysEx cancel running
        // status, since they take the place of the status that would run on.
        s.status = byte;
        s.needed = dataBytesAfterStatus[byte - 0x80u];
        s.haveFirst = false;
        if (byte == sysExStart) {
            s.inSysEx = true;
            s.sysExStarted = false;
            s.sysExCount = 0;
        } else if (byte == tuneRequest) {
            *o++ = ump::cv::systemWord(s.group, byte);
        }
    }
    state_ = s;
    return static_cast<std::size_t>(o - out.data());
}

} // namespace umbrascope
