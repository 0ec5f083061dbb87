#include "audio/ClickPlayer.hpp"

#include <algorithm>
#include <span>

namespace umbrascope {

namespace {

// Made once per process and never freed: the audio thread may still be reading a tick when its
// player is destroyed, since the engine that renders it is stopped only afterwards.
const std::vector<float>& tickSamples() {
    static const std::vector<float> samples = synthesizeSound(Sound::tick, Mixer::sampleRate);
    return samples;
}

} // namespace

ClickPlayer::ClickPlayer(AudioEngine& engine, const Clock& clock)
    : engine_(engine), clock_(clock), tick_(tickSamples()),
      tokens_(maxTokens, refillPerSecond, clock.monotonicNow()),
      tickTokens_(maxTickTokens, tickRefillPerSecond, clock.monotonicNow()) {}

bool ClickPlayer::consumeToken() {
    return tokens_.consume(clock_.monotonicNow());
}
bool ClickPlayer::consumeTickToken() {
    return tickTokens_.consume(clock_.monotonicNow());
}

void ClickPlayer::playTick(std::int32_t sourceID) {
    owner_.check("ClickPlayer::playTick");
    if (!consumeToken()) return;
    if (!consumeTickToken()) return;
    auto* node = playerNode(sourceID);
    if (!node) return;
    node->lastTick = ++tickCount_;
    // A full queue drops the tick: the buckets keep that from happening in practice.
    engine_.mixer().enqueue(node->node,
                            {tick_.data(), static_cast<std::uint32_t>(tick_.size()), 1.0f, 0});
}

void ClickPlayer::setPan(std::int32_t sourceID, float pan) {
    owner_.check("ClickPlayer::setPan");
    panForSource_[sourceID] = pan;
    if (const auto* node = findNode(sourceID)) engine_.mixer().setPan(node->node, pan);
}

float ClickPlayer::pan(std::int32_t sourceID) const {
    const auto found = panForSource_.find(sourceID);
    return found == panForSource_.end() ? 0.0f : found->second;
}

ClickPlayer::PlayerNode* ClickPlayer::findNode(std::int32_t sourceID) {
    const auto used = std::span(playerNodes_).first(nodeCount_);
    const auto found = std::ranges::find(used, sourceID, &PlayerNode::sourceID);
    return found == used.end() ? nullptr : &*found;
}

ClickPlayer::PlayerNode* ClickPlayer::playerNode(std::int32_t sourceID) {
    if (auto* own = findNode(sourceID)) return own;
    if (nodeCount_ < playerNodes_.size()) {
        // Nothing waits for a tick to end, so its node makes no reports.
        if (const auto node = engine_.mixer().createNode(pan(sourceID), Mixer::Reports::none)) {
            if (!engine_.isRunning()) engine_.start(); // a failed start leaves the tick silent
            return &(playerNodes_[nodeCount_++] = {sourceID, *node, 0});
        }
    }
    const auto used = std::span(playerNodes_).first(nodeCount_);
    if (used.empty()) return nullptr;
    // Sources come and go without notice, so nodes change hands. With all maxNodes in use, the
    // least recently used one ticked maxNodes - 1 ticks ago or earlier, which the rate limit
    // spreads over more than a second and a half: it has long fallen silent.
    auto& oldest = *std::ranges::min_element(used, {}, &PlayerNode::lastTick);
    oldest.sourceID = sourceID;
    engine_.mixer().setPan(oldest.node, pan(sourceID));
    return &oldest;
}

} // namespace umbrascope
