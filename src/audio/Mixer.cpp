#include "audio/Mixer.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace umbrascope {

namespace {

struct QueuedBuffer {
    BufferRef buffer;
    std::uint32_t generation = 0;
};

struct Gains {
    float left;
    float right;
};

// Constant power: the two gains' squares always sum to one, so a sweep keeps its loudness.
Gains panGains(float pan, float gain) {
    const double clamped = std::clamp(static_cast<double>(pan), -1.0, 1.0);
    const double angle = (clamped + 1.0) * std::numbers::pi / 4.0;
    return {static_cast<float>(std::cos(angle) * gain), static_cast<float>(std::sin(angle) * gain)};
}

} // namespace

struct Mixer::Node {
    SpscRing<QueuedBuffer, queueCapacity> queue;
    SpscRing<MixerEvent, eventCapacity> events;
    std::atomic<float> pan{0.0f};
    std::atomic<std::uint32_t> generation{0};
    std::atomic<bool> playing{false};
    // Set before the node is published and never changed.
    bool reports = true;

    // Audio thread only.
    bool hasCurrent = false;
    QueuedBuffer current;
    std::uint32_t position = 0;
    Gains gains{0.0f, 0.0f};
};

Mixer::Mixer() : nodes_(std::make_unique<Node[]>(maxNodes)) {}
Mixer::~Mixer() = default;

std::optional<Mixer::NodeId> Mixer::createNode(float pan, Reports reports) {
    std::lock_guard lock(createMutex_);
    const auto index = nodeCount_.load(std::memory_order_relaxed);
    if (index == maxNodes) return std::nullopt;
    nodes_[index].pan.store(pan, std::memory_order_relaxed);
    nodes_[index].reports = reports == Reports::wanted;
    nodeCount_.store(index + 1, std::memory_order_release);
    return index;
}

bool Mixer::enqueue(NodeId node, BufferRef buffer) {
    auto& n = nodes_[node];
    const bool queued = n.queue.push({buffer, n.generation.load(std::memory_order_acquire)});
    if (queued) n.playing.store(true, std::memory_order_relaxed);
    return queued;
}

void Mixer::setPan(NodeId node, float pan) {
    nodes_[node].pan.store(pan, std::memory_order_relaxed);
}

float Mixer::pan(NodeId node) const {
    return nodes_[node].pan.load(std::memory_order_relaxed);
}

void Mixer::stop(NodeId node) {
    nodes_[node].generation.fetch_add(1, std::memory_order_acq_rel);
}

bool Mixer::isPlaying(NodeId node) const {
    return nodes_[node].playing.load(std::memory_order_relaxed);
}

bool Mixer::nextEvent(NodeId node, MixerEvent& event) {
    return nodes_[node].events.pop(event);
}

void Mixer::render(float* stereo, std::size_t frames) {
    std::fill(stereo, stereo + frames * 2, 0.0f);
    const auto count = nodeCount_.load(std::memory_order_acquire);
    for (std::uint32_t i = 0; i < count; ++i)
        renderNode(nodes_[i], stereo, frames);
    for (std::size_t i = 0; i < frames * 2; ++i)
        stereo[i] = std::clamp(stereo[i], -1.0f, 1.0f);
}

void Mixer::renderNode(Node& node, float* stereo, std::size_t frames) {
    // Every buffer must end with exactly one report, or a speaker waiting for it stays busy. A
    // report is never pushed into a full ring: a buffer is only taken when its reports fit
    // (started and finished, or dropped), and otherwise waits in the queue for the next block.
    const auto room = [&node] {
        return node.reports ? eventCapacity - node.events.sizeApprox() : eventCapacity;
    };
    const auto report = [&node](MixerEvent::Kind kind, std::uint64_t tag) {
        if (node.reports) node.events.push({kind, tag});
    };
    const auto generation = node.generation.load(std::memory_order_acquire);
    if (node.hasCurrent && node.current.generation != generation) {
        // The slot of its finished report was kept free when it started.
        report(MixerEvent::Kind::dropped, node.current.buffer.tag);
        node.hasCurrent = false;
    }
    std::size_t written = 0;
    for (;;) {
        if (!node.hasCurrent) {
            const QueuedBuffer* waiting = node.queue.peek();
            if (waiting == nullptr) break;
            const bool stale = waiting->generation != generation;
            if (room() < (stale ? 1u : 2u)) break;
            QueuedBuffer next;
            node.queue.pop(next);
            if (stale) {
                report(MixerEvent::Kind::dropped, next.buffer.tag);
                continue;
            }
            node.current = next;
            node.hasCurrent = true;
            node.position = 0;
            node.gains = panGains(node.pan.load(std::memory_order_relaxed), next.buffer.gain);
            report(MixerEvent::Kind::started, next.buffer.tag);
        }
        const auto& buffer = node.current.buffer;
        const auto n = std::min<std::size_t>(frames - written, buffer.frames - node.position);
        const float* in = buffer.samples + node.position;
        float* out = stereo + written * 2;
        for (std::size_t i = 0; i < n; ++i) {
            out[2 * i] += in[i] * node.gains.left;
            out[2 * i + 1] += in[i] * node.gains.right;
        }
        written += n;
        node.position += static_cast<std::uint32_t>(n);
        if (node.position == buffer.frames) {
            report(MixerEvent::Kind::finished, buffer.tag);
            node.hasCurrent = false;
        }
        if (written == frames) break;
    }
    node.playing.store(node.hasCurrent || node.queue.peek() != nullptr, std::memory_order_relaxed);
}

} // namespace umbrascope
