#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "audio/Mixer.hpp"

namespace umbrascope {
namespace {

// A producer, the audio thread, a stopper and an event reader all at once: every buffer still
// ends exactly once (finished or dropped), and ThreadSanitizer sees no race.
TEST(MixerConcurrency, EveryBufferEndsOnceUnderConcurrentStops) {
    Mixer mixer;
    const auto node = *mixer.createNode();
    const std::vector<float> samples(64, 0.25f);
    constexpr std::uint64_t buffers = 20000;
    std::atomic<bool> done{false};

    std::thread audio([&] {
        std::vector<float> block(2 * 256);
        while (!done)
            mixer.render(block.data(), 256);
    });
    std::thread stopper([&] {
        while (!done) {
            mixer.stop(node);
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    std::thread producer([&] {
        for (std::uint64_t tag = 0; tag < buffers; ++tag)
            while (!mixer.enqueue(node, {samples.data(), 64, 1.0f, tag}))
                std::this_thread::yield();
    });

    std::vector<int> ends(buffers, 0);
    std::uint64_t ended = 0;
    MixerEvent event;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (ended < buffers && std::chrono::steady_clock::now() < until) {
        if (!mixer.nextEvent(node, event)) {
            std::this_thread::yield();
            continue;
        }
        if (event.kind == MixerEvent::Kind::started) continue;
        ++ends[event.tag];
        ++ended;
    }
    done = true;
    producer.join();
    stopper.join();
    audio.join();
    ASSERT_EQ(ended, buffers);
    for (std::uint64_t tag = 0; tag < buffers; ++tag)
        ASSERT_EQ(ends[tag], 1) << "buffer " << tag;
}

} // namespace
} // namespace umbrascope
