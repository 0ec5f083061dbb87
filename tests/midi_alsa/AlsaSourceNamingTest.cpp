#include <gtest/gtest.h>

#include "midi/alsa/AlsaSourceNaming.hpp"

namespace umbrascope::alsa {
namespace {

struct SourceCase {
    const char* name;
    PortTraits port;
    bool expected;
};

constexpr int ownClient = 128;

const SourceCase sourceCases[] = {
    {"ReadableSubscribablePort", {{20, 0}, true, true, false}, true},
    {"SystemClient", {{0, 1}, true, true, false}, false},
    {"OwnClient", {{ownClient, 0}, true, true, false}, false},
    {"WriteOnlyPort", {{20, 0}, false, false, false}, false},
    {"ReadableButNotSubscribable", {{20, 0}, true, false, false}, false},
    {"NoExport", {{20, 0}, true, true, true}, false},
};

class SourcePorts : public ::testing::TestWithParam<SourceCase> {};

TEST_P(SourcePorts, AreChosenByCapability) {
    EXPECT_EQ(isSource(GetParam().port, ownClient), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Alsa, SourcePorts, ::testing::ValuesIn(sourceCases),
                         [](const ::testing::TestParamInfo<SourceCase>& row) {
                             return std::string(row.param.name);
                         });

TEST(SourceReference, RoundTripsEveryAddressAndIsNeverZero) {
    for (int client = 0; client < 256; client += 17)
        for (int port = 0; port < 256; port += 5) {
            const auto reference = sourceReference({client, port});
            ASSERT_NE(reference, 0u);
            ASSERT_EQ(portAddress(reference), (PortAddress{client, port}));
        }
    EXPECT_FALSE(portAddress(0).has_value());
    EXPECT_FALSE(portAddress(0x12345678).has_value());
}

TEST(SourceUniqueID, SameNamesSameIdAcrossRuns) {
    // Pinned: a changed hash would re-enable sources the user disabled after a replug.
    EXPECT_EQ(sourceUniqueID("Keystation", "Keystation MIDI 1"),
              sourceUniqueID(std::string("Keystation"), std::string("Keystation MIDI 1")));
    EXPECT_EQ(sourceUniqueID("", ""), static_cast<std::int32_t>(0x050C5D1Fu));
}

TEST(SourceUniqueID, DependsOnBothNamesAndWhereTheyMeet) {
    EXPECT_NE(sourceUniqueID("ab", "c"), sourceUniqueID("a", "bc"));
    EXPECT_NE(sourceUniqueID("Synth", "Port 1"), sourceUniqueID("Synth", "Port 2"));
}

TEST(SourceUniqueID, NeverZero) {
    for (int i = 0; i < 100000; ++i)
        ASSERT_NE(sourceUniqueID("client", std::to_string(i)), 0) << i;
}

struct NameCase {
    const char* name;
    const char* client;
    const char* port;
    std::optional<std::string> expected;
};

const NameCase nameCases[] = {
    {"PortNamesTheDevice", "Launchkey 25", "Launchkey 25 MIDI In", "Launchkey 25 MIDI In"},
    {"GenericPortNameGetsClient", "VMPK Output", "out", "VMPK Output: out"},
    {"OnlyClient", "Synth", "", "Synth"},
    {"OnlyPort", "", "Port 1", "Port 1"},
    {"BlanksTrimmed", "  ", " Port 1 ", "Port 1"},
    {"NoName", "", "", std::nullopt},
    {"OnlyBlanks", " ", "\t", std::nullopt},
};

class DisplayNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(DisplayNames, FollowTheNamingRule) {
    EXPECT_EQ(sourceDisplayName(GetParam().client, GetParam().port), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Alsa, DisplayNames, ::testing::ValuesIn(nameCases),
                         [](const ::testing::TestParamInfo<NameCase>& row) {
                             return std::string(row.param.name);
                         });

} // namespace
} // namespace umbrascope::alsa
