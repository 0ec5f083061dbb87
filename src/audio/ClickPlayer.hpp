#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "audio/Sound.hpp"
#include "audio/TokenBucket.hpp"
#include "core/Clock.hpp"
#include "core/OwnerThread.hpp"

namespace umbrascope {

// A rate-limited, panned tick per source. Main thread only, the one that constructs it (checked in
// Debug and sanitizer builds); the engine and the clock must outlive the player. The tick's
// samples outlive every node that plays them.
class ClickPlayer {
public:
    static constexpr double maxTokens = 10.0;
    static constexpr double refillPerSecond = 30.0;
    static constexpr double maxTickTokens = 5.0;
    static constexpr double tickRefillPerSecond = 15.0;
    // Click nodes this player takes at most, leaving the mixer's others to speech.
    static constexpr std::size_t maxNodes = Mixer::maxNodes / 2;

    ClickPlayer(AudioEngine& engine, const Clock& clock);

    // Plays one tick on the source's node when both buckets grant a token.
    void playTick(std::int32_t sourceID);
    void setPan(std::int32_t sourceID, float pan);
    // 0.0 for a source that has never been given a pan.
    float pan(std::int32_t sourceID) const;

    bool consumeToken();
    bool consumeTickToken();
    double tokens() const { return tokens_.level(); }
    double tickTokens() const { return tickTokens_.level(); }

private:
    struct PlayerNode {
        std::int32_t sourceID = 0;
        Mixer::NodeId node = 0;
        std::uint64_t lastTick = 0; // tickCount_ at the node's last tick
    };

    OwnerThread owner_;
    AudioEngine& engine_;
    const Clock& clock_;
    const std::vector<float>& tick_;
    std::array<PlayerNode, maxNodes> playerNodes_{};
    std::size_t nodeCount_ = 0;
    std::uint64_t tickCount_ = 0;
    std::unordered_map<std::int32_t, float> panForSource_;
    TokenBucket tokens_;
    TokenBucket tickTokens_;

    // The source's node: its own, else a new one (the first starts the engine), else, when this
    // player or the mixer is out of nodes, the one that ticked least recently, moved to this
    // source and its pan. None only when there is no node at all.
    PlayerNode* playerNode(std::int32_t sourceID);
    PlayerNode* findNode(std::int32_t sourceID);
};

} // namespace umbrascope
