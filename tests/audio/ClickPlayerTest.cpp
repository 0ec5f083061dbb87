#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <numbers>

#include "audio/ClickPlayer.hpp"
#include "core/Clock.hpp"
#include "support/FakeClock.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;

struct Player {
    FakeClock clock;
    AudioEngine engine{nullptr};
    ClickPlayer player{engine, clock};

    // Ticks actually queued on a source's node so far, read back through the mixer.
    int drainTicks() {
        std::vector<float> block(2 * 4096);
        engine.mixer().render(block.data(), 4096);
        int started = 0;
        MixerEvent event;
        for (Mixer::NodeId node = 0; node < 4; ++node)
            while (engine.mixer().nextEvent(node, event))
                started += event.kind == MixerEvent::Kind::started;
        return started;
    }
};

TEST(ClickPlayerBuckets, TwentyInOneInstantPlayFiveAndEmptyBoth) {
    Player p;
    std::vector<bool> granted;
    for (int i = 0; i < 20; ++i) {
        const double before = p.player.tokens();
        const double tickBefore = p.player.tickTokens();
        p.player.playTick(1);
        granted.push_back(p.player.tickTokens() < tickBefore);
        if (i >= 10) {
            EXPECT_EQ(p.player.tokens(), before) << "request " << i + 1;
        }
    }
    for (std::size_t i = 0; i < 20; ++i)
        EXPECT_EQ(granted[i], i < 5) << "request " << i + 1;
    EXPECT_DOUBLE_EQ(p.player.tokens(), 0.0);
    EXPECT_DOUBLE_EQ(p.player.tickTokens(), 0.0);
}

TEST(ClickPlayerBuckets, OneSecondLaterBothRefillBeforeTaking) {
    Player p;
    for (int i = 0; i < 20; ++i)
        p.player.playTick(1);
    p.clock.advance(1s);
    p.player.playTick(1);
    EXPECT_DOUBLE_EQ(p.player.tokens(), 9.0);
    EXPECT_DOUBLE_EQ(p.player.tickTokens(), 4.0);
}

TEST(ClickPlayerBuckets, SteadyThirtyPerSecondGivesAboutFifteen) {
    Player p;
    int played = 0;
    for (int i = 0; i < 300; ++i) { // ten seconds
        p.player.playTick(1);
        played += p.drainTicks();
        p.clock.advance(std::chrono::microseconds(33'333));
    }
    // The first five ride on the full buckets; then the tick bucket's 15 per second rules.
    EXPECT_NEAR(played, 150 + 5, 3);
}

TEST(ClickPlayerBuckets, ABackwardsStepNeverDrainsTheBucket) {
    TokenBucket bucket(2.0, 1.0, MonoTime{} + 10s);
    EXPECT_TRUE(bucket.consume(MonoTime{} + 5s));
    EXPECT_DOUBLE_EQ(bucket.level(), 1.0);
}

TEST(ClickPlayerSound, TickHas529FramesAndTheExpectedFirstSample) {
    const auto tick = synthesizeSound(Sound::tick, 44100.0);
    ASSERT_EQ(tick.size(), 529u);
    const float first =
        static_cast<float>(std::sin(2.0 * std::numbers::pi * 3000.0 / 44100.0)) * 0.5f;
    EXPECT_EQ(tick[0], first);
    float peak = 0.0f;
    for (float s : tick)
        peak = std::max(peak, std::abs(s));
    EXPECT_LE(peak, 0.5f);
    EXPECT_LT(std::abs(tick.back()), 0.01f) << "the envelope has decayed by the end";
}

TEST(ClickPlayerPan, NeverSetIsCentreAndSetPanReachesAnExistingNode) {
    Player p;
    EXPECT_EQ(p.player.pan(7), 0.0f);
    p.player.playTick(7);
    EXPECT_EQ(p.engine.mixer().pan(0), 0.0f);
    p.player.setPan(7, -1.0f);
    EXPECT_EQ(p.player.pan(7), -1.0f);
    EXPECT_EQ(p.engine.mixer().pan(0), -1.0f) << "the same node, not a new one";
    p.player.setPan(8, 0.5f);
    p.player.playTick(8);
    EXPECT_EQ(p.engine.mixer().pan(1), 0.5f) << "a new node starts at the source's pan";
}

TEST(ClickPlayerNodes, TicksOfOneSourceQueueOnOneNode) {
    Player p;
    p.player.playTick(3);
    p.player.playTick(3);
    p.player.playTick(4);
    EXPECT_EQ(p.drainTicks(), 3);
    EXPECT_TRUE(p.engine.isRunning() == false) << "no output was given, so nothing started";
}

} // namespace
} // namespace umbrascope
