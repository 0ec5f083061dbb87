#include <gtest/gtest.h>

#include <filesystem>

#include "midi/alsa/ALSASequencer.hpp"
#include "midi/alsa/ALSASourceNaming.hpp"

namespace umbrascope::alsa {
namespace {

TEST(ALSASources, AreChosenByCapability) {
    constexpr int ownClient = 128;
    const std::tuple<const char*, PortTraits, bool> cases[] = {
        {"readableSubscribable", {{20, 0}, true, true, false}, true},
        {"systemClient", {{0, 1}, true, true, false}, false},
        {"ownClient", {{ownClient, 0}, true, true, false}, false},
        {"notReadable", {{20, 0}, false, true, false}, false},
        {"notSubscribable", {{20, 0}, true, false, false}, false},
        {"noExport", {{20, 0}, true, true, true}, false},
    };
    for (const auto& [name, port, expected] : cases)
        EXPECT_EQ(isSource(port, ownClient), expected) << name;
}

TEST(ALSASources, ReferenceRoundTripsEveryAddressAndIsNeverZero) {
    for (int client = 0; client < 256; client += 17)
        for (int port = 0; port < 256; port += 5) {
            const auto reference = sourceReference({client, port});
            ASSERT_NE(reference, 0u);
            ASSERT_EQ(portAddress(reference), (PortAddress{client, port}));
        }
    EXPECT_FALSE(portAddress(0).has_value());
    EXPECT_FALSE(portAddress(0x80010203).has_value());
}

TEST(ALSASources, UniqueIDFollowsBothNamesAndIsNeverZero) {
    // Pinned: a changed hash would re-enable, after an update, sources the user disabled.
    EXPECT_EQ(sourceUniqueID("", ""), static_cast<std::int32_t>(0x050C5D1Fu));
    EXPECT_NE(sourceUniqueID("ab", "c"), sourceUniqueID("a", "bc"));
    EXPECT_NE(sourceUniqueID("Synth", "Port 1"), sourceUniqueID("Synth", "Port 2"));
    EXPECT_EQ(sourceUniqueID("Synth", "occ7aazi"), 1) << "names whose hash is 0";
}

TEST(ALSASources, DisplayNameFollowsTheNamingRule) {
    const std::tuple<const char*, const char*, std::optional<std::string>> cases[] = {
        {"Launchkey 25", "Launchkey 25 MIDI In", "Launchkey 25 MIDI In"},
        {"VMPK Output", "out", "VMPK Output: out"},
        {"Synth", "", "Synth"},
        {"  ", " Port 1 ", "Port 1"},
        {" ", "\t", std::nullopt},
    };
    for (const auto& [client, port, expected] : cases)
        EXPECT_EQ(sourceDisplayName(client, port), expected) << client << "|" << port;
}

TEST(ALSASequencer, WithoutSequencerThereAreNoSourcesAndNothingIsPrinted) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "a sequencer device is present";
    ALSASequencer sequencer;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(sequencer.open());
    EXPECT_FALSE(sequencer.createClient("UmbrascopeClient", [](MIDINotification) {}));
    EXPECT_FALSE(sequencer.createInputPort("UmbrascopeInput", MIDIProtocol::midi2,
                                           [](std::uint32_t, MIDIProtocol, auto) {}));
    EXPECT_TRUE(sequencer.sources().empty());
    EXPECT_EQ(sequencer.uniqueID(sourceReference({20, 0})), 0);
    EXPECT_FALSE(sequencer.displayName(sourceReference({20, 0})).has_value());
    sequencer.connect(sourceReference({20, 0}));
    sequencer.disposeInputPort();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(sequencer.isOpen());
}

} // namespace
} // namespace umbrascope::alsa
