#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "breakdown/BreakdownRows.hpp"
#include "model/MIDIMessage.hpp"
#include "model/Packet.hpp"

namespace umbrascope::testing {

// A row as the window shows it, without its identity.
struct Shown {
    std::string hex;
    std::int64_t bits = 0;
    std::string label;
    friend bool operator==(const Shown&, const Shown&) = default;
    friend std::ostream& operator<<(std::ostream& out, const Shown& row) {
        return out << "{\"" << row.hex << "\", " << row.bits << ", \"" << row.label << "\"}";
    }
};

inline std::vector<Shown> shown(const std::vector<FieldRow>& rows) {
    std::vector<Shown> result;
    for (const auto& row : rows)
        result.push_back({row.hex, row.bits, row.label});
    return result;
}

inline MIDIMessage messageOf(std::initializer_list<std::uint32_t> words) {
    MIDIMessage message;
    message.words = PacketWords(words);
    if (!message.words.empty()) message.messageType = classifyPacket(message.words[0]).type;
    return message;
}

inline std::vector<FieldRow> rowsOf(std::initializer_list<std::uint32_t> words) {
    return breakdownRows(messageOf(words));
}

// Names each parameterised case after its `name` field, so a failure says which case broke.
struct CaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return param.param.name;
    }
};

} // namespace umbrascope::testing
