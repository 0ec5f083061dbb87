#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>

#include "audio/SpscRing.hpp"

namespace umbrascope {

// A mono buffer handed to a mixer node. The samples are not copied: they must stay valid until the
// node reports the buffer finished or dropped (static sounds simply live longer than the mixer).
struct BufferRef {
    const float* samples = nullptr;
    std::uint32_t frames = 0;
    float gain = 1.0f;
    std::uint64_t tag = 0; // the producer's own label, echoed in the node's events
};

struct MixerEvent {
    enum class Kind : std::uint8_t { started, finished, dropped };
    Kind kind = Kind::started;
    std::uint64_t tag = 0;
};

// Mixes mono 44.1 kHz nodes to interleaved float stereo. Each node has a constant-power pan and a
// queue of buffers played one after another. Nodes live as long as the mixer.
//
// Threads: render() runs on the audio thread and neither locks nor allocates. createNode() may be
// called from any control thread. Each node has one producer thread (the one that enqueues on it)
// and at most one event consumer; setPan() and stop() may come from any thread.
class Mixer {
public:
    static constexpr double sampleRate = 44100.0;
    static constexpr std::size_t maxNodes = 64;
    static constexpr std::size_t queueCapacity = 512;
    static constexpr std::size_t eventCapacity = 2048;

    using NodeId = std::uint32_t;
    // Whether a node tells of its buffers through nextEvent(). A node whose reports nobody reads
    // must not make them: its full report ring would hold its buffers back for good.
    enum class Reports : std::uint8_t { wanted, none };

    Mixer();
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // None when every node slot is taken.
    std::optional<NodeId> createNode(float pan = 0.0f, Reports reports = Reports::wanted);

    // Queues a buffer after the ones already queued. False when the queue is full. The node's
    // producer thread.
    bool enqueue(NodeId node, BufferRef buffer);
    // -1 is left only, 0 centred, +1 right only; a buffer keeps the pan it started with.
    void setPan(NodeId node, float pan);
    float pan(NodeId node) const;
    // Silences the node at once and drops everything queued on it before this call.
    void stop(NodeId node);
    // True while a buffer is sounding or queued, as last seen by the audio thread. Any thread.
    bool isPlaying(NodeId node) const;
    // The node's next started/finished/dropped report. Events that find the report queue full are
    // lost, so a node whose owner needs them must be read regularly. The node's event consumer.
    bool nextEvent(NodeId node, MixerEvent& event);

    // Audio thread: writes `frames` interleaved stereo frames.
    void render(float* stereo, std::size_t frames);

private:
    struct Node;
    std::unique_ptr<Node[]> nodes_;
    std::atomic<std::uint32_t> nodeCount_{0};
    std::mutex createMutex_;

    void renderNode(Node& node, float* stereo, std::size_t frames);
};

} // namespace umbrascope
