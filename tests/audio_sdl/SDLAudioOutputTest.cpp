#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "audio/AudioEngine.hpp"
#include "audio/ClickPlayer.hpp"
#include "audio/SilentOutput.hpp"
#include "support/FakeClock.hpp"

#ifdef HAVE_UMBRASCOPE_SDL
#include "audio/sdl/SDLAudioOutput.hpp"
#endif

namespace umbrascope {
namespace {

#ifdef HAVE_UMBRASCOPE_SDL

// Renders through SDL's disk driver: the real callback path, written to a headerless float file.
TEST(SDLAudioOutput, TicksAtFullLeftReachOnlyTheLeftChannel) {
    const auto file = std::filesystem::path(UMBRASCOPE_BINARY_DIR) / "sdl-ticks.raw";
    std::filesystem::remove(file);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "0", 1);
    {
        FakeClock clock;
        AudioEngine engine(std::make_unique<SDLAudioOutput>());
        ClickPlayer player(engine, clock);
        player.setPan(9, -1.0f);
        player.playTick(9);
        if (!engine.deviceOpened()) GTEST_SKIP() << "SDL's disk audio driver could not open";
        player.playTick(9);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (engine.mixer().isPlaying(0) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        EXPECT_FALSE(engine.mixer().isPlaying(0)) << "both ticks were rendered";
    }
    std::ifstream in(file, std::ios::binary);
    std::vector<float> samples;
    for (float sample; in.read(reinterpret_cast<char*>(&sample), sizeof sample);)
        samples.push_back(sample);
    ASSERT_GE(samples.size(), 2u * 529u * 2u);
    float left = 0.0f, right = 0.0f;
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2) {
        left = std::max(left, std::abs(samples[i]));
        right = std::max(right, std::abs(samples[i + 1]));
    }
    EXPECT_GT(left, 0.3f);
    EXPECT_EQ(right, 0.0f);
}

// The dummy driver opens and plays nothing: ticks through it would go unheard without a word.
TEST(SDLAudioOutput, TheDummyDriverCountsAsNoDevice) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    AudioEngine engine(std::make_unique<SDLAudioOutput>(), std::make_unique<SilentOutput>());
    EXPECT_TRUE(engine.start()) << "the silent output stands in";
    EXPECT_FALSE(engine.deviceOpened());
    EXPECT_EQ(engine.deviceProblem(), "SDL's dummy audio driver plays nothing");
}

#endif

TEST(AudioEngine, FallsBackOnceWhenTheDeviceFailsAndStaysStoppedOnceStopped) {
    struct Output final : AudioOutput {
        int opens; // how many more starts succeed
        int* starts;
        Output(int o, int* s) : opens(o), starts(s) {}
        bool start(Mixer&) override { return ++*starts, opens-- > 0; }
        void stop() override {}
    };
    int starts = 0;
    AudioEngine engine(std::make_unique<Output>(0, &starts), std::make_unique<Output>(9, &starts));
    EXPECT_TRUE(engine.start());
    EXPECT_TRUE(engine.start());
    EXPECT_EQ(starts, 2) << "the device once, the fallback once";
    EXPECT_FALSE(engine.deviceOpened());
    engine.stop();
    EXPECT_FALSE(engine.start());
}

} // namespace
} // namespace umbrascope
