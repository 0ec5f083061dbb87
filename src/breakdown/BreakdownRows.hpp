#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "breakdown/FieldRow.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope {

// The rows of a message, chosen by its stored class (not by re-reading the nibble). Pure; the
// breakdown window calls it on every redraw.
std::vector<FieldRow> breakdownRows(const MIDIMessage& message);
std::vector<FieldRow> breakdownRows(std::span<const std::uint32_t> words, UMPMessageType type);

// One builder per message family.
std::vector<FieldRow> utilityRows(std::uint32_t w0);
std::vector<FieldRow> systemRows(std::uint32_t w0);
std::vector<FieldRow> midi1ChannelVoiceRows(std::uint32_t w0);
std::vector<FieldRow> midi2ChannelVoiceRows(std::span<const std::uint32_t> words);
std::vector<FieldRow> sysEx7Rows(std::span<const std::uint32_t> words);
std::vector<FieldRow> sysEx8Rows(std::span<const std::uint32_t> words);
std::vector<FieldRow> flexDataRows(std::span<const std::uint32_t> words);
std::vector<FieldRow> umpStreamRows(std::span<const std::uint32_t> words);
std::vector<FieldRow> unknownRows(std::uint32_t w0);

} // namespace umbrascope
