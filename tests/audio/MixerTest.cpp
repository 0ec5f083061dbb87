#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "audio/Mixer.hpp"

namespace umbrascope {
namespace {

std::vector<float> render(Mixer& mixer, std::size_t frames) {
    std::vector<float> out(frames * 2);
    mixer.render(out.data(), frames);
    return out;
}

struct PanCase {
    const char* name;
    float pan;
    float left;
    float right;
};

class MixerPan : public testing::TestWithParam<PanCase> {};

TEST_P(MixerPan, ConstantPowerGains) {
    const auto& c = GetParam();
    Mixer mixer;
    const std::vector<float> ones(8, 1.0f);
    const auto node = *mixer.createNode(c.pan);
    ASSERT_TRUE(mixer.enqueue(node, {ones.data(), 8, 1.0f, 0}));
    const auto out = render(mixer, 8);
    EXPECT_NEAR(out[0], c.left, 1e-6);
    EXPECT_NEAR(out[1], c.right, 1e-6);
    EXPECT_NEAR(out[0] * out[0] + out[1] * out[1], 1.0, 1e-5) << "power is constant";
}

INSTANTIATE_TEST_SUITE_P(Pans, MixerPan,
                         testing::Values(PanCase{"fullLeft", -1.0f, 1.0f, 0.0f},
                                         PanCase{"centre", 0.0f, 0.70710678f, 0.70710678f},
                                         PanCase{"beyondLeftIsClamped", -3.0f, 1.0f, 0.0f}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(Mixer, QueuedBuffersPlayInOrderAcrossBlocks) {
    Mixer mixer;
    const std::vector<float> a{0.1f, 0.2f, 0.3f};
    const std::vector<float> b{0.4f, 0.5f};
    const auto node = *mixer.createNode(-1.0f);
    mixer.enqueue(node, {a.data(), 3, 1.0f, 1});
    mixer.enqueue(node, {b.data(), 2, 1.0f, 2});
    auto first = render(mixer, 2);
    auto second = render(mixer, 4);
    std::vector<float> left{first[0], first[2], second[0], second[2], second[4], second[6]};
    const std::vector<float> expected{0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.0f};
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(left[i], expected[i], 1e-6) << "frame " << i;

    std::vector<std::pair<MixerEvent::Kind, std::uint64_t>> events;
    MixerEvent event;
    while (mixer.nextEvent(node, event))
        events.emplace_back(event.kind, event.tag);
    using K = MixerEvent::Kind;
    EXPECT_EQ(events, (std::vector<std::pair<K, std::uint64_t>>{
                          {K::started, 1}, {K::finished, 1}, {K::started, 2}, {K::finished, 2}}));
    EXPECT_FALSE(mixer.isPlaying(node));
}

TEST(Mixer, AStoppedNodeIsSilentAtOnceAndDropsItsQueue) {
    Mixer mixer;
    const std::vector<float> ones(100, 0.5f);
    const auto node = *mixer.createNode();
    mixer.enqueue(node, {ones.data(), 100, 1.0f, 1});
    mixer.enqueue(node, {ones.data(), 100, 1.0f, 2});
    render(mixer, 10);
    mixer.stop(node);
    for (float s : render(mixer, 300))
        ASSERT_EQ(s, 0.0f);
    MixerEvent event;
    std::vector<std::uint64_t> dropped;
    while (mixer.nextEvent(node, event))
        if (event.kind == MixerEvent::Kind::dropped) dropped.push_back(event.tag);
    EXPECT_EQ(dropped, (std::vector<std::uint64_t>{1, 2}));

    mixer.enqueue(node, {ones.data(), 100, 1.0f, 3});
    EXPECT_NE(render(mixer, 10)[0], 0.0f) << "buffers queued after the stop play";
}

TEST(Mixer, PanChangeTakesEffectOnTheNextBuffer) {
    Mixer mixer;
    const std::vector<float> ones(4, 1.0f);
    const auto node = *mixer.createNode(-1.0f);
    mixer.enqueue(node, {ones.data(), 4, 1.0f, 1});
    mixer.enqueue(node, {ones.data(), 4, 1.0f, 2});
    auto out = render(mixer, 2);
    mixer.setPan(node, 1.0f);
    out = render(mixer, 6);
    EXPECT_NEAR(out[2], 1.0f, 1e-6) << "the sounding buffer keeps its pan";
    EXPECT_NEAR(out[5], 1.0f, 1e-6) << "the next buffer is on the right";
    EXPECT_NEAR(out[4], 0.0f, 1e-6);
}

TEST(Mixer, GainScalesAndTheSumIsClipped) {
    Mixer mixer;
    const std::vector<float> ones(4, 1.0f);
    const auto a = *mixer.createNode(-1.0f);
    const auto b = *mixer.createNode(-1.0f);
    mixer.enqueue(a, {ones.data(), 4, 0.25f, 0});
    auto out = render(mixer, 1);
    EXPECT_NEAR(out[0], 0.25f, 1e-6);
    mixer.enqueue(b, {ones.data(), 4, 1.0f, 0});
    out = render(mixer, 1);
    EXPECT_EQ(out[0], 1.0f);
}

TEST(Mixer, NodeSlotsRunOutWithoutHarm) {
    Mixer mixer;
    for (std::size_t i = 0; i < Mixer::maxNodes; ++i)
        ASSERT_TRUE(mixer.createNode());
    EXPECT_FALSE(mixer.createNode());
}

// A listener that falls behind must not lose a finish or drop report: a lost one would leave the
// speaker that waits for it busy for good.
TEST(Mixer, ReportsWaitForASlowReaderInsteadOfBeingLost) {
    Mixer mixer;
    const auto node = *mixer.createNode();
    const std::vector<float> one(1, 0.5f);
    const std::uint64_t total = 3 * Mixer::eventCapacity;
    std::uint64_t queued = 0, ends = 0, starts = 0;
    MixerEvent event;
    for (int round = 0; ends < total && round < 100; ++round) {
        for (int block = 0; block < 8; ++block) { // far more reports than the ring holds, unread
            while (queued < total && mixer.enqueue(node, {one.data(), 1, 1.0f, queued}))
                ++queued;
            if (round % 3 == 1 && block == 4) mixer.stop(node);
            render(mixer, 1024);
        }
        while (mixer.nextEvent(node, event))
            (event.kind == MixerEvent::Kind::started ? starts : ends) += 1;
    }
    EXPECT_EQ(ends, total);
    EXPECT_LE(starts, total);
}

// With one report slot left, a buffer's started report would fit but its finished one would not:
// the buffer must wait for the reader rather than end without a report.
TEST(Mixer, ABufferWaitsWhenOnlyOneReportSlotIsFree) {
    Mixer mixer;
    const auto node = *mixer.createNode();
    const std::vector<float> one(1, 0.5f);
    const std::uint64_t played = (Mixer::eventCapacity - 2) / 2; // started and finished each
    std::uint64_t tag = 0;
    while (tag < played) {
        while (tag < played && mixer.enqueue(node, {one.data(), 1, 1.0f, tag}))
            ++tag;
        render(mixer, Mixer::queueCapacity);
    }
    mixer.enqueue(node, {one.data(), 1, 1.0f, tag++});
    mixer.stop(node);
    render(mixer, 1); // dropped: one report, one slot left
    const std::uint64_t last = tag;
    mixer.enqueue(node, {one.data(), 1, 1.0f, last});
    render(mixer, 1);
    std::size_t reports = 0;
    int lastEnds = 0;
    MixerEvent event;
    for (int read = 0; read < 2; ++read) {
        while (mixer.nextEvent(node, event)) {
            ++reports;
            lastEnds += event.tag == last && event.kind == MixerEvent::Kind::finished;
        }
        render(mixer, 1);
    }
    EXPECT_EQ(reports, Mixer::eventCapacity - 1 + 2);
    EXPECT_EQ(lastEnds, 1);
}

} // namespace
} // namespace umbrascope
