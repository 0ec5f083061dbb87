#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "midi/Midi1StreamTranslator.hpp"

namespace umbrascope::testing {

using Bytes = std::vector<std::uint8_t>;
using Words = std::vector<std::uint32_t>;

inline Words translateBytes(MidiProtocol protocol, const Bytes& bytes) {
    Midi1StreamTranslator translator(protocol);
    Words out;
    translator.translate(bytes, out);
    return out;
}

inline Words translateUmp(MidiProtocol protocol, const Words& words) {
    UmpTranslator translator(protocol);
    Words out;
    translator.translateWords(words, out);
    return out;
}

// Words as hex so a failing comparison is readable.
inline std::string hex(const Words& words) {
    std::ostringstream text;
    for (const auto word : words)
        text << std::uppercase << std::hex << std::setw(8) << std::setfill('0') << word << ' ';
    return text.str();
}

// Names parameterised cases after their row.
struct CaseName {
    template <typename T>
    std::string operator()(const ::testing::TestParamInfo<T>& row) const {
        return row.param.name;
    }
};

struct TranslationCase {
    const char* name;
    Bytes bytes;
    Words expected;
};

} // namespace umbrascope::testing
