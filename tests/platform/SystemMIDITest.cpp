#include <gtest/gtest.h>

#include <filesystem>

#include "midi/MIDIManager.hpp"
#include "midi/replay/DemoCapture.hpp"
#include "platform/SystemMIDI.hpp"
#include "support/SteppedQueue.hpp"

namespace umbrascope::platform {
namespace {

using testing_support::drainUntil;

TEST(SystemMIDI, FilesAndDemoFeedOneManager) {
    MIDIRequest request;
    request.system = false;
    request.captures.push_back(
        std::make_shared<const Capture>(parseCapture("@source Keys\n20903C64\n", "keys.ump")));
    request.demo = true;
    MIDIServices services(std::move(request));
    ManualQueue queue;
    MIDIManager manager(services.service(), queue);
    queue.drain();
    const std::int32_t keys = replaySourceID("Keys");
    const std::int32_t demo = replaySourceID("Demo");
    EXPECT_EQ(manager.availableSources(),
              (std::vector<MIDISourceInfo>{{keys, "Keys"}, {demo, "Demo"}}));

    services.startPlayback();
    const auto heardFrom = [&](std::int32_t id) {
        for (const auto& message : manager.messages())
            if (message.sourceID == id) return true;
        return false;
    };
    EXPECT_TRUE(drainUntil(queue, [&] { return heardFrom(keys) && heardFrom(demo); }));
    services.stopPlayback();
}

TEST(SystemMIDI, WithoutASequencerTheSystemIsLeftOutWithItsReason) {
    if (std::filesystem::exists("/dev/snd/seq")) GTEST_SKIP() << "a sequencer device is present";
    ::testing::internal::CaptureStderr();
    MIDIServices services({});
    EXPECT_FALSE(services.hasSystemMIDI());
    EXPECT_EQ(services.systemMIDIProblem(), "the ALSA sequencer could not be opened: No such file "
                                            "or directory; is the snd-seq module loaded?");
    ManualQueue queue;
    MIDIManager manager(services.service(), queue);
    EXPECT_EQ(queue.drain(), 0u) << "no sources, nothing to publish";
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");

    // A file opened later still has a port to arrive at.
    const SourceRef opened = services.addOpened(
        std::make_shared<const Capture>(parseCapture("20903C64\n+0.5 20803C00\n", "later.ump")));
    queue.drain();
    EXPECT_EQ(manager.availableSources(),
              (std::vector<MIDISourceInfo>{{replaySourceID("later"), "later"}}));
    services.playOpened(opened, ReplayPace::asFastAsPossible);
    EXPECT_TRUE(drainUntil(queue, [&] { return manager.messages().size() == 2; }));
}

} // namespace
} // namespace umbrascope::platform
