#include "audio/ClickPlayer.hpp"

namespace umbrascope {

ClickPlayer::ClickPlayer(AudioEngine& engine, const Clock& clock)
    : engine_(engine), clock_(clock), tick_(synthesizeSound(Sound::tick, Mixer::sampleRate)),
      tokens_(maxTokens, refillPerSecond, clock.monotonicNow()),
      tickTokens_(maxTickTokens, tickRefillPerSecond, clock.monotonicNow()) {}

bool ClickPlayer::consumeToken() {
    return tokens_.consume(clock_.monotonicNow());
}
bool ClickPlayer::consumeTickToken() {
    return tickTokens_.consume(clock_.monotonicNow());
}

void ClickPlayer::playTick(std::int32_t sourceID) {
    if (!consumeToken()) return;
    if (!consumeTickToken()) return;
    const auto* node = playerNode(sourceID);
    if (!node) return;
    // A full queue drops the tick: the buckets keep that from happening in practice.
    engine_.mixer().enqueue(*node,
                            {tick_.data(), static_cast<std::uint32_t>(tick_.size()), 1.0f, 0});
}

void ClickPlayer::setPan(std::int32_t sourceID, float pan) {
    panForSource_[sourceID] = pan;
    if (const auto node = playerNodes_.find(sourceID); node != playerNodes_.end())
        engine_.mixer().setPan(node->second, pan);
}

float ClickPlayer::pan(std::int32_t sourceID) const {
    const auto found = panForSource_.find(sourceID);
    return found == panForSource_.end() ? 0.0f : found->second;
}

const Mixer::NodeId* ClickPlayer::playerNode(std::int32_t sourceID) {
    if (const auto found = playerNodes_.find(sourceID); found != playerNodes_.end())
        return &found->second;
    // Nothing waits for a tick to end, so its node makes no reports.
    const auto node = engine_.mixer().createNode(pan(sourceID), Mixer::Reports::none);
    if (!node) return nullptr;
    const auto inserted = playerNodes_.emplace(sourceID, *node).first;
    if (!engine_.isRunning()) engine_.start(); // a failed start leaves the tick silent
    return &inserted->second;
}

} // namespace umbrascope
