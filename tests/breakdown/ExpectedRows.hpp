#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "breakdown/BreakdownRows.hpp"
#include "model/MIDIMessage.hpp"

namespace umbrascope::testing {

inline MIDIMessage messageOf(std::initializer_list<std::uint32_t> words) {
    MIDIMessage message;
    message.words = PacketWords(words);
    if (!message.words.empty()) message.messageType = classifyPacket(message.words[0]).type;
    return message;
}

inline std::vector<FieldRow> rowsOf(std::initializer_list<std::uint32_t> words) {
    return breakdownRows(messageOf(words));
}

// The labels of rows in order, joined by " | "; a sub-row's label is marked "> ".
inline std::string labelsOf(const std::vector<FieldRow>& rows) {
    std::string text;
    for (const auto& row : rows) {
        text += (text.empty() ? "" : " | ") + row.label;
        for (const auto& subRow : row.subRows)
            text += " | > " + subRow.label;
    }
    return text;
}

// Each top-level row as "{hex}:{bits} {label}", so a whole breakdown compares as one table.
inline std::vector<std::string> rendered(const std::vector<FieldRow>& rows) {
    std::vector<std::string> lines;
    for (const auto& row : rows)
        lines.push_back(row.hex + ":" + std::to_string(row.bits) + " " + row.label +
                        (row.subRows.empty() ? "" : " +sub-rows"));
    return lines;
}

// Names each parameterised case after its `name` field, so a failure says which case broke.
struct CaseName {
    template <typename Param>
    std::string operator()(const ::testing::TestParamInfo<Param>& param) const {
        return param.param.name;
    }
};

} // namespace umbrascope::testing
