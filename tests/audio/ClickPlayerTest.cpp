#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

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

    // The mixer's next block, left and right interleaved; long enough for a tick to end in it.
    std::vector<float> render(std::size_t frames = 1024) {
        std::vector<float> block(2 * frames);
        engine.mixer().render(block.data(), frames);
        return block;
    }
    // The loudest sample of one channel (0 left, 1 right) of the next block.
    float peak(const std::vector<float>& block, std::size_t channel) const {
        float loudest = 0.0f;
        for (std::size_t i = channel; i < block.size(); i += 2)
            loudest = std::max(loudest, std::abs(block[i]));
        return loudest;
    }
    bool heard() {
        const auto block = render();
        return peak(block, 0) > 0.0f || peak(block, 1) > 0.0f;
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
        played += p.heard();
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

TEST(ClickPlayerNodes, TicksOfOneSourceQueueAndOtherSourcesSoundAtOnce) {
    Player p;
    p.player.setPan(3, -1.0f);
    p.player.setPan(4, 1.0f);
    p.player.playTick(3);
    p.player.playTick(3);
    p.player.playTick(4);
    const auto tick = synthesizeSound(Sound::tick, Mixer::sampleRate);
    const auto block = p.render(3 * tick.size());
    for (std::size_t i = 0; i < 3 * tick.size(); ++i) {
        const float left = i < 2 * tick.size() ? tick[i % tick.size()] : 0.0f;
        const float right = i < tick.size() ? tick[i] : 0.0f;
        ASSERT_NEAR(block[2 * i], left, 1e-6f) << "frame " << i;
        ASSERT_NEAR(block[2 * i + 1], right, 1e-6f) << "frame " << i;
    }
    EXPECT_FALSE(p.engine.isRunning()) << "no output was given, so nothing started";
}

// Sources come and go over a long session; the mixer's nodes must not run out. Sides are drawn
// at random, so nodes that change hands also change sides.
TEST(ClickPlayerNodes, TwoHundredSourcesInTurnAreEachHeardOnTheirOwnSide) {
    Player p;
    std::mt19937 random(5);
    for (std::int32_t source = 1; source <= 200; ++source) {
        const bool left = random() % 2 == 0;
        p.player.setPan(source, left ? -1.0f : 1.0f);
        p.clock.advance(1s);
        p.player.playTick(source);
        const auto block = p.render();
        ASSERT_GT(p.peak(block, left ? 0 : 1), 0.1f) << "source " << source;
        ASSERT_LT(p.peak(block, left ? 1 : 0), 1e-6f) << "source " << source;
    }
    // Two more in one instant: the second must not take the node the first is sounding on.
    p.player.setPan(201, -1.0f);
    p.player.setPan(202, 1.0f);
    p.clock.advance(1s);
    p.player.playTick(201);
    p.player.playTick(202);
    const auto block = p.render(synthesizeSound(Sound::tick, Mixer::sampleRate).size());
    EXPECT_GT(p.peak(block, 0), 0.1f);
    EXPECT_GT(p.peak(block, 1), 0.1f);
}

TEST(ClickPlayerNodes, ASourceStaysAudibleLongAfterItsFirstThousandTicks) {
    Player p;
    for (int tick = 1; tick <= 3000; ++tick) {
        p.clock.advance(1s);
        p.player.playTick(1);
        ASSERT_TRUE(p.heard()) << "tick " << tick;
    }
}

} // namespace
} // namespace umbrascope
