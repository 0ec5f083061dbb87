#include <gtest/gtest.h>

#include <filesystem>

#include "midi/alsa/AlsaSequencer.hpp"
#include "midi/alsa/AlsaSourceNaming.hpp"

namespace umbrascope::alsa {
namespace {

bool haveSequencer() {
    return std::filesystem::exists("/dev/snd/seq");
}

TEST(AlsaSequencer, WithoutSequencerThereAreNoSourcesAndNothingIsPrinted) {
    if (haveSequencer()) GTEST_SKIP() << "a sequencer device is present";
    AlsaSequencer sequencer;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(sequencer.open());
    EXPECT_FALSE(sequencer.createClient("UmbrascopeClient", [](MidiNotification) {}));
    EXPECT_FALSE(sequencer.createInputPort("UmbrascopeInput", MidiProtocol::midi2,
                                           [](std::uint32_t, MidiProtocol, auto) {}));
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
