#include <gtest/gtest.h>

#include <vector>

#include "audio/Mixer.hpp"

namespace umbrascope {
namespace {

const std::vector<float> ones(100, 1.0f);

std::vector<float> render(Mixer& mixer, std::size_t frames) {
    std::vector<float> out(frames * 2);
    mixer.render(out.data(), frames);
    return out;
}

using K = MixerEvent::Kind;
using Events = std::vector<std::pair<K, std::uint64_t>>;

Events events(Mixer& mixer, Mixer::NodeId node) {
    Events seen;
    for (MixerEvent event; mixer.nextEvent(node, event);)
        seen.emplace_back(event.kind, event.tag);
    return seen;
}

TEST(Mixer, ConstantPowerPanClampedToTheSides) {
    const struct {
        float pan, left, right;
    } rows[] = {{-1.0f, 1.0f, 0.0f}, {0.0f, 0.70710678f, 0.70710678f}, {-3.0f, 1.0f, 0.0f}};
    for (const auto& row : rows) {
        Mixer mixer;
        mixer.enqueue(*mixer.createNode(row.pan), {ones.data(), 8, 1.0f, 0});
        const auto out = render(mixer, 8);
        EXPECT_NEAR(out[0], row.left, 1e-6) << "pan " << row.pan;
        EXPECT_NEAR(out[1], row.right, 1e-6) << "pan " << row.pan;
    }
}

TEST(Mixer, QueuedBuffersPlayInOrderAcrossBlocks) {
    Mixer mixer;
    const std::vector<float> a{0.1f, 0.2f, 0.3f};
    const std::vector<float> b{0.4f, 0.5f};
    const auto node = *mixer.createNode(-1.0f);
    mixer.enqueue(node, {a.data(), 3, 1.0f, 1});
    mixer.enqueue(node, {b.data(), 2, 1.0f, 2});
    const auto first = render(mixer, 2);
    const auto second = render(mixer, 4);
    const float left[] = {first[0], first[2], second[0], second[2], second[4], second[6]};
    const float expected[] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.0f};
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NEAR(left[i], expected[i], 1e-6) << "frame " << i;
    EXPECT_EQ(events(mixer, node),
              (Events{{K::started, 1}, {K::finished, 1}, {K::started, 2}, {K::finished, 2}}));
    EXPECT_FALSE(mixer.isPlaying(node));
}

TEST(Mixer, AStoppedNodeIsSilentAtOnceAndDropsItsQueue) {
    Mixer mixer;
    const auto node = *mixer.createNode();
    mixer.enqueue(node, {ones.data(), 100, 0.5f, 1});
    mixer.enqueue(node, {ones.data(), 100, 0.5f, 2});
    render(mixer, 10);
    mixer.stop(node);
    for (float s : render(mixer, 300))
        ASSERT_EQ(s, 0.0f);
    EXPECT_EQ(events(mixer, node), (Events{{K::started, 1}, {K::dropped, 1}, {K::dropped, 2}}));
    mixer.enqueue(node, {ones.data(), 100, 0.5f, 3});
    EXPECT_NE(render(mixer, 10)[0], 0.0f) << "buffers queued after the stop play";
}

// A buffer keeps the pan it started with; gains scale and the sum is clipped.
TEST(Mixer, PanChangesOnTheNextBufferAndTheSumIsClipped) {
    Mixer mixer;
    const auto node = *mixer.createNode(-1.0f);
    mixer.enqueue(node, {ones.data(), 4, 0.25f, 1});
    mixer.enqueue(node, {ones.data(), 4, 1.0f, 2});
    auto out = render(mixer, 2);
    EXPECT_NEAR(out[0], 0.25f, 1e-6);
    mixer.setPan(node, 1.0f);
    out = render(mixer, 6);
    EXPECT_NEAR(out[2], 0.25f, 1e-6) << "the sounding buffer keeps its pan";
    EXPECT_NEAR(out[4], 0.0f, 1e-6);
    EXPECT_NEAR(out[5], 1.0f, 1e-6) << "the next buffer is on the right";
    const auto other = *mixer.createNode(1.0f);
    mixer.enqueue(node, {ones.data(), 4, 1.0f, 3});
    mixer.enqueue(other, {ones.data(), 4, 1.0f, 4});
    EXPECT_EQ(render(mixer, 1)[1], 1.0f);
}

TEST(Mixer, NodeSlotsRunOutWithoutHarm) {
    Mixer mixer;
    for (std::size_t i = 0; i < Mixer::maxNodes; ++i)
        ASSERT_TRUE(mixer.createNode());
    EXPECT_FALSE(mixer.createNode());
}
// Mixer reports rely on each ring holding exactly its capacity: a report pushed into a ring that
// is fuller than the mixer counted would be lost.
TEST(SpscRing, HoldsExactlyItsCapacity) {
    SpscRing<int, 4> ring;
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(ring.push(i));
    EXPECT_FALSE(ring.push(4));
    int first = -1;
    EXPECT_TRUE(ring.pop(first) && first == 0 && ring.push(4));
}

// With one report slot left, a buffer's started report would fit but its finished one would not:
// the buffer must wait for the reader rather than end without a report.
TEST(Mixer, ABufferWaitsWhenOnlyOneReportSlotIsFree) {
    Mixer mixer;
    const auto node = *mixer.createNode();
    const std::uint64_t played = (Mixer::eventCapacity - 2) / 2; // started and finished each
    for (std::uint64_t tag = 0; tag < played;) {
        while (tag < played && mixer.enqueue(node, {ones.data(), 1, 1.0f, tag}))
            ++tag;
        render(mixer, Mixer::queueCapacity);
    }
    mixer.enqueue(node, {ones.data(), 1, 1.0f, played});
    mixer.stop(node);
    render(mixer, 1); // dropped: one report, one slot left
    mixer.enqueue(node, {ones.data(), 1, 1.0f, played + 1});
    render(mixer, 1);
    auto seen = events(mixer, node);
    render(mixer, 1);
    const auto rest = events(mixer, node);
    seen.insert(seen.end(), rest.begin(), rest.end());
    ASSERT_EQ(seen.size(), Mixer::eventCapacity + 1);
    EXPECT_EQ(seen.back(), std::make_pair(K::finished, played + 1));
}

} // namespace
} // namespace umbrascope
