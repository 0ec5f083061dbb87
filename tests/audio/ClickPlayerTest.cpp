#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

#include "audio/ClickPlayer.hpp"
#include "support/CapturingOutput.hpp"
#include "support/FakeClock.hpp"

namespace umbrascope {
namespace {

using namespace std::chrono_literals;

const std::vector<float> tick = synthesizeSound(Sound::tick, Mixer::sampleRate);

// The test renders the mixer itself; the output only says it started.
struct Player {
    FakeClock clock;
    AudioEngine engine{std::make_unique<testing_support::CapturingOutput>()};
    ClickPlayer player{engine, clock};

    // The mixer's next block, left and right interleaved; long enough for a tick to end in it.
    std::vector<float> render(std::size_t frames = 1024) {
        std::vector<float> block(2 * frames);
        engine.mixer().render(block.data(), frames);
        return block;
    }
    // The loudest sample of one channel (0 left, 1 right) of a block.
    static float peak(const std::vector<float>& block, std::size_t channel) {
        float loudest = 0.0f;
        for (std::size_t i = channel; i < block.size(); i += 2)
            loudest = std::max(loudest, std::abs(block[i]));
        return loudest;
    }
};

TEST(ClickPlayerBuckets, TwentyInOneInstantPlayFiveAndEmptyBoth) {
    Player p;
    for (int i = 0; i < 20; ++i) {
        const double before = p.player.tokens();
        const double tickBefore = p.player.tickTokens();
        p.player.playTick(1);
        EXPECT_EQ(p.player.tickTokens() < tickBefore, i < 5) << "request " << i + 1;
        EXPECT_EQ(p.player.tokens() == before, i >= 10) << "request " << i + 1;
    }
    EXPECT_DOUBLE_EQ(p.player.tokens(), 0.0);
    EXPECT_DOUBLE_EQ(p.player.tickTokens(), 0.0);
    p.clock.advance(1s);
    p.player.playTick(1);
    EXPECT_DOUBLE_EQ(p.player.tokens(), 9.0) << "refilled to the capacity before taking";
    EXPECT_DOUBLE_EQ(p.player.tickTokens(), 4.0);
}

TEST(ClickPlayerBuckets, OnlyAWholeTokenIsGrantedAndABackwardsStepDrainsNothing) {
    TokenBucket bucket(2.0, 1.0, MonoTime{} + 10s);
    EXPECT_TRUE(bucket.consume(MonoTime{} + 5s));
    EXPECT_TRUE(bucket.consume(MonoTime{} + 5s));
    EXPECT_FALSE(bucket.consume(MonoTime{} + 5500ms));
    EXPECT_TRUE(bucket.consume(MonoTime{} + 6s));
}

TEST(ClickPlayerSound, TickHas529FramesAndTheExpectedFirstSample) {
    ASSERT_EQ(tick.size(), 529u);
    EXPECT_EQ(tick[0],
              static_cast<float>(std::sin(2.0 * std::numbers::pi * 3000.0 / 44100.0)) * 0.5f);
    EXPECT_LT(std::abs(tick.back()), 0.01f) << "the envelope has decayed by the end";
}

// A source's pan reaches its node, new or already there.
TEST(ClickPlayerNodes, TicksOfOneSourceQueueAndOtherSourcesSoundAtOnceEachOnItsSide) {
    Player p;
    EXPECT_EQ(p.player.pan(3), 0.0f) << "never set is the centre";
    p.player.setPan(3, -1.0f);
    p.player.setPan(4, 1.0f);
    p.player.playTick(3);
    p.player.playTick(3);
    p.player.playTick(4);
    const auto block = p.render(3 * tick.size());
    for (std::size_t i = 0; i < 3 * tick.size(); ++i) {
        ASSERT_NEAR(block[2 * i], i < 2 * tick.size() ? tick[i % tick.size()] : 0.0f, 1e-6f) << i;
        ASSERT_NEAR(block[2 * i + 1], i < tick.size() ? tick[i] : 0.0f, 1e-6f) << "frame " << i;
    }
    EXPECT_TRUE(p.engine.isRunning()) << "the first tick starts the engine";
    p.player.setPan(3, 0.5f);
    EXPECT_EQ(p.engine.mixer().pan(0), 0.5f) << "the same node, not a new one";
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
    const auto block = p.render(tick.size());
    EXPECT_GT(p.peak(block, 0), 0.1f);
    EXPECT_GT(p.peak(block, 1), 0.1f);
}

TEST(ClickPlayerNodes, ASourceStaysAudibleLongAfterItsFirstThousandTicks) {
    Player p;
    for (int n = 1; n <= 3000; ++n) {
        p.clock.advance(1s);
        p.player.playTick(1);
        ASSERT_GT(p.peak(p.render(), 0), 0.0f) << "tick " << n;
    }
}

} // namespace
} // namespace umbrascope
